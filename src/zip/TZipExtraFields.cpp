#include "zip/TZipExtraFields.h"

#include "zip/EZipException.h"

#include <algorithm>

TZipExtraFields::TZipExtraFields(const TBytes &block)
{
    std::size_t position = 0;
    while (position < block.size()) {
        // A tail too short to hold the DataSize field cannot be an item.
        if (block.size() - position < 4)
            throw EZipException("Invalid Zip ExtraField");
        const std::size_t dataSize = block[position + 2] | (block[position + 3] << 8);
        const std::size_t length = std::min(4 + dataSize, block.size() - position);
        const auto start = block.begin() + static_cast<std::ptrdiff_t>(position);
        FItems.emplace_back(TBytes(start, start + static_cast<std::ptrdiff_t>(length)));
        position += length;
    }
}

TBytes TZipExtraFields::ToBytes() const
{
    TBytes block;
    for (const TZipExtraField &item : FItems) {
        const TBytes image = item.ToBytes();
        block.insert(block.end(), image.begin(), image.end());
    }
    return block;
}

bool TZipExtraFields::Get(std::uint16_t headerID, TZipExtraField &item, int &index) const
{
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i].HeaderID == headerID) {
            item = FItems[i];
            index = static_cast<int>(i);
            return true;
        }
    }
    index = -1;
    return false;
}

void TZipExtraFields::Add(const TZipExtraField &item)
{
    for (TZipExtraField &existing : FItems) {
        if (existing.HeaderID == item.HeaderID) {
            existing = item;
            return;
        }
    }
    FItems.push_back(item);
}

int TZipExtraFields::New()
{
    FItems.emplace_back();
    return static_cast<int>(FItems.size()) - 1;
}

bool TZipExtraFields::Remove(std::uint16_t headerID)
{
    const auto removed =
        std::erase_if(FItems, [headerID](const TZipExtraField &item) { return item.HeaderID == headerID; });
    return removed > 0;
}

TZipExtraField_ZIP64 TZipExtraFields::ZIP64() const
{
    TZipExtraField item;
    int index = -1;
    Get(ZIP64_EXTRAFIELD_TAG, item, index);
    return TZipExtraField_ZIP64::FromData(item.Data);
}

bool TZipExtraFields::FindData(const TBytes &block, std::uint16_t headerID, TBytes &data)
{
    std::size_t position = 0;
    while (block.size() - position >= 4) {
        const std::uint16_t id = static_cast<std::uint16_t>(block[position] | (block[position + 1] << 8));
        const std::size_t dataSize = block[position + 2] | (block[position + 3] << 8);
        if (block.size() - position - 4 < dataSize)
            return false;
        if (id == headerID) {
            const auto start = block.begin() + static_cast<std::ptrdiff_t>(position + 4);
            data.assign(start, start + static_cast<std::ptrdiff_t>(dataSize));
            return true;
        }
        position += 4 + dataSize;
    }
    return false;
}
