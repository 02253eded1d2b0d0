#pragma once

#include <exception>
#include <string>

// What went wrong in the ZIP unit, as a code with its values, so that a front end can word it in its
// own language. The unit's English texts stay what its exceptions say (for logs and peers); each of
// those fixed texts stands for one code.
struct TZipFault
{
    enum class TCode {
        None,
        // The archive is damaged.
        NoEndRecord,        // the end of central directory record is missing
        DamagedDirectory,   // the central directory
        DamagedZip64,       // the ZIP64 end records
        OverlappingEntries, // Entry, when one is named
        DamagedLocalHeader, // Entry
        LocalHeaderDiffers, // Entry; Detail: the field that differs ("CRC-32", "sizes", ...)
        LocalNameDiffers,   // Entry
        UnknownVersion,     // Entry; Detail: the version ("6.4")
        InvalidExtraField,  // an extra field
        CrcMismatch,        // Entry
        SizeMismatch,       // Entry
        DataEndsEarly,      // Entry, when named
        DataDamaged,        // Entry, when named
        NamelessWithData,   // Entry
        // Entries this unit does not read or extract.
        EncryptedUnsupported, // Entry, when named
        EncryptedUnchecked,   // Entry
        MethodUnsupported,    // Detail: the method; Entry, when named
        MethodUnchecked,      // Detail: the method number; Entry
        DictionaryTooLarge,   // Detail: MiB; Entry, when named
        EntryTooLarge,        // Entry
        EntryNotFound,        // Entry
        UnsafeName,           // Entry
        LinkNotExtracted,     // Entry
        SpecialNotExtracted,  // Entry
        // The file or the system.
        NotRegularFile, // Entry: the file's path
        ReadError,      // the archive ends before data it lists
        WriteError,     // the archive could not take all it was given
        OutOfMemory,
        NameTooLong, // an entry name beyond 65535 bytes
        CompressionFailed,
        Stopped,  // compression ended by a stop
        System,   // SystemError: the errno; Entry: the path, when the text named one
        Internal, // a use of the unit that it does not allow, or a library's refusal
    };

    TCode Code = TCode::None;
    std::string Entry;   // the entry or file concerned, as the text named it (bytes as stored)
    std::string Detail;  // a value the text carried (a field, a version, a method)
    int SystemError = 0; // errno of a failure of the system; 0 otherwise

    // The code and values of one of the unit's fixed English texts; Internal for a text it never says.
    static TZipFault FromText(const std::string &text);
    // The code and values of an exception met in the unit or beside it: its own, the system's
    // (std::system_error with errno), running out of memory; Internal for any other.
    static TZipFault Of(const std::exception &failure);
};
