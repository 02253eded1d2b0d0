#include "zip/TZipExtraField_NTFS.h"

#include "zip/TLittleEndianWriter.h"
#include "zip/ZipFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>

TZipExtraField_NTFS TZipExtraField_NTFS::FromFile(const std::string &fileName)
{
    struct statx status
    {
    };
    if (statx(AT_FDCWD, fileName.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &status) != 0)
        throw std::system_error(errno, std::generic_category(),
                                "Cannot read the times of \"" + fileName + "\"");
    TZipExtraField_NTFS record;
    record.MTime = UnixTimeToFileTime(status.stx_mtime.tv_sec, status.stx_mtime.tv_nsec);
    record.ATime = UnixTimeToFileTime(status.stx_atime.tv_sec, status.stx_atime.tv_nsec);
    const struct statx_timestamp &created =
        (status.stx_mask & STATX_BTIME) ? status.stx_btime : status.stx_ctime;
    record.CTime = UnixTimeToFileTime(created.tv_sec, created.tv_nsec);
    return record;
}

TBytes TZipExtraField_NTFS::ToBytes() const
{
    TBytes image;
    image.reserve(32);
    TLittleEndianWriter(image).U32(Reserved).U16(Tag1).U16(Size1).U64(MTime).U64(ATime).U64(CTime);
    return image;
}

TZipExtraField TZipExtraField_NTFS::ToExtraField() const
{
    return TZipExtraField(NTFS_EXTRAFIELD_TAG, ToBytes());
}
