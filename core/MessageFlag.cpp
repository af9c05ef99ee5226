#include "core/MessageFlag.h"

namespace kestrove {

const std::array<MessageFlagInfo, kFlagCount> kMessageFlags = {{
    {MessageFlag::Mailed, "Mailed", ">", ">", 11},
    {MessageFlag::UUEncoded, "UU encoded", "U", "U", 12},
    {MessageFlag::Encrypted, "Encrypted", "E", "E", 13},
    {MessageFlag::Digest, "Digest", "d", "d", 14},
    {MessageFlag::Expired, "Expired", "X", "X", 15},
    {MessageFlag::FileAscii, "file ASCII", "A", "A", 16},
    {MessageFlag::Read, "has been Read", "R", "R", 17},
    {MessageFlag::AltVersions, "has alt Versions", "V", "V", 18},
    {MessageFlag::Html, "has HTML", "H", "H", 19},
    {MessageFlag::Confirmation, "Confirmation", "C", "C", 20},
    {MessageFlag::ContentControl, "conTent control", "T", "T", 21},
    {MessageFlag::CopySelf, "CopySelf", "S", "S", 22},
    {MessageFlag::Deleted, "Deleted", "D", "D", 23},
    {MessageFlag::Mime, "MIME", "M", "M", 24},
    {MessageFlag::Replied, "Replied", "r", "r", 25},
    {MessageFlag::Forwarded, "Forwarded", "F", "F", 26},
    {MessageFlag::Urgent, "Urgent", "u", "u", 27},
    {MessageFlag::Binhex, "BINHEX", "x", "B", 28},
    {MessageFlag::Mhs, "is MHS", "m", "m", 29},
    {MessageFlag::Smtp, "is SMTP", "s", "s", 30},
    {MessageFlag::Annotated, "is Annotated", "a", "a", 31},
    {MessageFlag::Enclosure, "Enclosure", "E", "e", 32},
    {MessageFlag::Highlighted, "Highlighted", "h", "h", 33},
    {MessageFlag::MimeMultipart, "MIME Multipart", "L", "L", 34},
    {MessageFlag::TextEnriched, "Text Enriched", "t", "t", 35},
    {MessageFlag::ReadOnly, "read Only", "O", "O", 36},
}};

}  // namespace kestrove
