#pragma once
// Links on Windows: a reparse point that stands for another name (a symbolic
// link, a junction). Other reparse points hold their file's own data
// (deduplicated or cloud files) and are files like any other. Wine shows a
// Unix link to a file as that file, and opens, deletes and renames what it
// leads to even where asked not to follow it; the final path of an open
// handle still tells. Kept free of windows.h, as SystemError.h is.

#include <string>

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

// True when the open handle is known not to be the file `path` names
// itself but one that a link under that name leads to: its final path is
// not the final path of the directory and the name as stored there. False
// also when the system cannot say (such a file system has no Wine links).
bool HandleLeadsElsewhere(void* handle, const std::string& path);

// True when `path` names an existing file or directory that a link under
// that name leads to, where the system opened it in place of the link
// (Wine). Nothing is changed.
bool NameLeadsElsewhere(const std::string& path);

}  // namespace kestrove::platform::win32
