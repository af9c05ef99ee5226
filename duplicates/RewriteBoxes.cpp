#include "duplicates/RewriteBoxes.h"

#include "core/Format.h"
#include "core/Reason.h"

namespace kestrove::rewrite_box {

namespace {

const char* const kSkipOrEnd = "\nOK to skip\nCancel to abort run";

Box Notice(std::string text, std::string title, Logged logged) {
    return {std::move(text), std::move(title), Icon::Stop, Buttons::Ok, logged, {}};
}

// A question whose OK passes over the record or byte in hand.
Box Question(std::string text, std::string title, std::string_view reason) {
    return {WithReason(std::move(text) + kSkipOrEnd, reason),
            std::move(title),
            Icon::Stop,
            Buttons::OkCancel,
            Logged::OnCancel,
            {}};
}

std::string Place(std::int64_t fpos, std::int64_t copied) {
    return Format("%lld+%lld", static_cast<long long>(fpos), static_cast<long long>(copied));
}

}  // namespace

Answer Show(WindowPort& port, RunLog& log, const Box& box) {
    if (!box.logLine.empty())
        log.Write(box.logLine + "\n");
    const Answer answer =
        port.MessageDialog(box.text, box.title, box.icon, box.buttons, box.byDefault);
    if (box.logged == Logged::Always ||
        (box.logged == Logged::OnCancel && answer == Answer::Cancel))
        log.Write(box.text + "\n");
    return answer;
}

bool GoesOn(WindowPort& port, RunLog& log, const Box& box) {
    return Show(port, log, box) == Answer::Ok;
}

Box MessageFileNotOpened(const std::string& messagePath, std::string_view reason) {
    return Notice(WithReason(Format("Cannot Open File 13: %s", messagePath.c_str()), reason),
                  "File Error 2", Logged::Always);
}

Box CountMismatch(const char* what, int fromIndex, int fromHeader) {
    return {
        Format("%s PMI=%d PMM=%d Mismatch!\nYES to accept\nNO to skip file\nCANCEL to abort run",
               what, fromIndex, fromHeader),
        "File Mismatch",
        Icon::Information,
        Buttons::YesNoCancel,
        Logged::No,
        {}};
}

Box GivenABackupFile(const std::string& path) {
    return Notice(Format("%s is a backup file - skipping file.", path.c_str()), "Backup File Error",
                  Logged::Always);
}

Box ForeignTemporary(const std::string& path) {
    return Notice(Format("%s exists and is not an unfinished file of this program - skipping file.",
                         path.c_str()),
                  "File Error", Logged::Always);
}

Box ChangedMeanwhile(const std::string& path) {
    return Notice(
        Format("%s was changed by another program during the run - skipping file.", path.c_str()),
        "File Mismatch", Logged::Always);
}

Box CannotCheck(const std::string& path, std::string_view reason) {
    return Notice(
        WithReason(Format("Cannot check whether %s was changed by another program - skipping "
                          "file.",
                          path.c_str()),
                   reason),
        "File Error", Logged::Always);
}

// Its OK deletes the old backup: Enter keeps it.
Box OldBackupExists(const std::string& path) {
    return {Format("Backup file %s exists!\nOK to OVERWRITE\nCancel to skip", path.c_str()),
            "Backup File Exists",
            Icon::Stop,
            Buttons::OkCancel,
            Logged::No,
            {},
            DefaultButton::Cancel};
}

Box OldBackupNotDeleted(const std::string& path, std::string_view reason) {
    Box box =
        Notice(WithReason(Format("Can't delete old backup file %s - skipping file.", path.c_str()),
                          reason),
               "Backup File Error", Logged::No);
    // The log says again that the backup exists, now with the reason.
    box.logLine = WithReason(Format("Backup File %s exists.", path.c_str()), reason);
    return box;
}

Box NewIndexNotCreated(const std::string& indexPath, std::string_view reason) {
    return Notice(WithReason(Format("Cannot Open File 1: %s", indexPath.c_str()), reason),
                  "File Error 3", Logged::Always);
}

Box NewMessageFileNotCreated(const std::string& messagePath, std::string_view reason) {
    return Notice(WithReason(Format("Cannot Open File 2: %s", messagePath.c_str()), reason),
                  "File Error 4", Logged::No);
}

Box MessageFileNotOpenedForCopy(const std::string& messagePath, std::string_view reason) {
    return Notice(WithReason(Format("Cannot Open File 3: %s", messagePath.c_str()), reason),
                  "File Error 5", Logged::No);
}

Box NoWritePosition(const std::string& messagePath, std::string_view reason) {
    return Question(Format("Cannot get fpos of file %s", messagePath.c_str()), "File Error 6",
                    reason);
}

Box RecordNotWritten(const std::string& indexPath, std::string_view reason) {
    return Question(Format("Cannot write to file %s", indexPath.c_str()), "File Error 7", reason);
}

Box CannotSeek(std::int64_t fpos, const std::string& indexPath, std::string_view reason) {
    return Question(
        Format("Cannot seek to %lld file %s", static_cast<long long>(fpos), indexPath.c_str()),
        "File Error 8", reason);
}

Box CannotPut(bool extraByte, std::uint8_t byte, std::int64_t fpos, std::int64_t copied,
              const std::string& messagePath, std::string_view reason) {
    return Question(Format("Cannot put %d=%c to %s file %s", byte, byte,
                           Place(fpos, copied).c_str(), messagePath.c_str()),
                    extraByte ? "File Error 11" : "File Error 9", reason);
}

Box CannotGetChar(std::int64_t fpos, std::int64_t copied, const std::string& messagePath) {
    return Question(
        Format("Cannot get char at %s file %s", Place(fpos, copied).c_str(), messagePath.c_str()),
        "File Error 10", {});
}

Box NoCtrlZ(std::int64_t fpos, std::int64_t copied, const std::string& messagePath) {
    return Question(
        Format("No ctrl-z at %s file %s", Place(fpos, copied).c_str(), messagePath.c_str()),
        "Message Size Error", {});
}

Box Unfinished(const std::string& what, const std::string& indexPath) {
    return Question(what + "\n" + Format("The folder %s is left as it was.", indexPath.c_str()),
                    "File Error", {});
}

std::string CannotWrite(const std::string& path, std::string_view reason) {
    return Format("Cannot write to file %s (%s).", path.c_str(), std::string(reason).c_str());
}

std::string CannotRead(const std::string& path, std::int64_t offset, std::string_view reason) {
    return Format("Cannot read file %s at %lld (%s).", path.c_str(), static_cast<long long>(offset),
                  std::string(reason).c_str());
}

std::string CannotSetPermissions(const std::string& path, std::string_view reason) {
    return Format("Cannot set the permissions of file %s (%s).", path.c_str(),
                  std::string(reason).c_str());
}

Box CannotRename(const std::string& from, const std::string& to, std::string_view reason) {
    return {WithReason(Format("Can't rename %s to %s.\nOK to skip\nCancel to abort", from.c_str(),
                              to.c_str()),
                       reason),
            "Backup File Exists",
            Icon::Stop,
            Buttons::OkCancel,
            Logged::OnCancel,
            WithReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str()), reason)};
}

Box CannotRenameBack(const std::string& from, const std::string& to, std::string_view reason) {
    // The backup pair still holds the old folder; Restore can put it back.
    return Notice(WithReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str()), reason),
                  "Backup File Error", Logged::Always);
}

}  // namespace kestrove::rewrite_box
