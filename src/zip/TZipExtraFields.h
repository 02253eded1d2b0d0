#pragma once

#include "zip/TZipExtraField.h"
#include "zip/TZipExtraField_ZIP64.h"

#include <cstdint>
#include <vector>

// The ordered list of items of one header's extra-field block.
class TZipExtraFields
{
  public:
    TZipExtraFields() = default;
    // Parses a block item by item; a damaged item raises "Invalid Zip ExtraField".
    explicit TZipExtraFields(const TBytes &block);

    // The block: every item's image in list order (empty list, empty block).
    TBytes ToBytes() const;
    // Finds the first item with headerID; index is -1 when there is none.
    bool Get(std::uint16_t headerID, TZipExtraField &item, int &index) const;
    // Replaces the first item with the same tag in place, or appends the item.
    void Add(const TZipExtraField &item);
    // Appends an empty item and returns its position.
    int New();
    // Removes every item with headerID; true when one was there.
    bool Remove(std::uint16_t headerID);
    // The ZIP64 item read as sizes (zeros when there is none).
    TZipExtraField_ZIP64 ZIP64() const;

    // Finds the data of the first item with headerID in a block without judging the rest of it,
    // so that one odd item in a foreign archive does not hide the ones that matter.
    static bool FindData(const TBytes &block, std::uint16_t headerID, TBytes &data);

    // The number of items.
    int Count() const { return static_cast<int>(FItems.size()); }
    // The item at index.
    TZipExtraField &operator[](int index) { return FItems.at(static_cast<std::size_t>(index)); }
    // The item at index.
    const TZipExtraField &operator[](int index) const { return FItems.at(static_cast<std::size_t>(index)); }

  private:
    std::vector<TZipExtraField> FItems;
};
