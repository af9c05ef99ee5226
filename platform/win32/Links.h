#pragma once
// Links on Windows: a reparse point that stands for another name (a symbolic
// link, a junction). Other reparse points hold their file's own data
// (deduplicated or cloud files) and are files like any other. Kept free of
// windows.h, as SystemError.h is.

namespace kestrove::platform::win32 {

// From a directory entry's attributes and reparse tag (dwReserved0).
bool IsLinkEntry(unsigned long attributes, unsigned long reparseTag);

// What a handle opened with FILE_FLAG_OPEN_REPARSE_POINT is.
enum class HandleKind {
    Plain,        // no reparse point
    Link,         // a link: not to be followed
    ReparseData,  // a reparse point holding its own data: open it normally
    Unknown,      // the system could not say (LastErrorText set)
};
HandleKind KindOfHandle(void* handle);

// True when both open handles are one file (volume and file index).
bool SameFileHandles(void* a, void* b);

}  // namespace kestrove::platform::win32
