#include "reports/Export.h"

#include <memory>
#include <vector>

#include "core/BusyScope.h"
#include "core/CommandChecks.h"
#include "core/FileKinds.h"
#include "core/Format.h"
#include "core/Links.h"
#include "core/MessageFile.h"
#include "core/Reason.h"
#include "platform/File.h"

namespace kestrove {

namespace {

// Export files end their lines with CR LF on every platform, so they are
// written in binary mode with the CR LF spelled out.
constexpr const char* kCsvTitle =
    "flags, fpos, msg_number, fname, from, subject, date, color, mtime, fsize\r\n";
constexpr const char* kTabTitle =
    "flags \tfpos \tmsg_number \tfname \tfrom \tsubject \tdate \tcolor \tmtime \tfsize\r\n";
constexpr const char* kCsvLine =
    "%ld, %ld, %d, \"%.*s\", \"%.*s\", \"%.*s\", \"%.*s\", %d, %ld, %ld\r\n";
constexpr const char* kTabLine =
    "%ld\t%ld\t%d\t\"%.*s\"\t\"%.*s\"\t\"%.*s\"\t\"%.*s\"\t%d\t%ld\t%ld\r\n";

void FileError(WindowPort& port, const std::string& text) {
    port.MessageDialog(text, "File Error", Icon::Stop, Buttons::Ok);
}

}  // namespace

std::string ExportTitleLine(bool csv) {
    return csv ? kCsvTitle : kTabTitle;
}

std::string ExportRecordLine(const IndexRecord& record, bool csv) {
    std::string_view fname = record.fname(), from = record.from(), subject = record.subject(),
                     date = record.date();
    return Format(csv ? kCsvLine : kTabLine,
                  static_cast<long>(static_cast<std::int32_t>(record.flags())),
                  static_cast<long>(record.fposSigned()), static_cast<int>(record.msg_number()),
                  static_cast<int>(fname.size()), fname.data(), static_cast<int>(from.size()),
                  from.data(), static_cast<int>(subject.size()), subject.data(),
                  static_cast<int>(date.size()), date.data(), static_cast<int>(record.color()),
                  static_cast<long>(record.mtime()), static_cast<long>(record.fsize()));
}

CommandResult SaveIndexFile1Click(AppState& state, WindowPort& port) {
    CommandResult result;
    result.entries = state.ListBox1.Count();
    if (!HaveSelection(state, port))
        return result;
    BusyScope busy(state);
    std::vector<std::string> exported;  // the export files made so far
    for (int k = 0; k < state.ListBox1.Count(); ++k) {
        state.currentIndexFile = state.ListBox1[k];
        const std::string indexPath = state.currentIndexFile;
        // The format is read once per file; a switch during the pump below
        // counts from the next file on.
        const bool csv = state.exportCsv;
        const std::string outputPath = ReplaceExtension(indexPath, csv ? ".CSV" : ".TXT");
        // Another kind of file would be exported as records it does not hold,
        // over the export of its folder's index.
        if (!ReportTakes(indexPath)) {
            FileError(port, NotAnyIndexText(indexPath));
            return result;
        }
        // An index that is a link would put another user's index beside
        // this one; an export file that is a link would be written where it
        // points. Either is skipped, the link left as it is.
        if (!NoLinks(state, port, {indexPath, outputPath}))
            continue;
        port.SetStatus(StatusLine::LabelInfoMsg1, Format("File %s", outputPath.c_str()));
        port.ProcessEvents();

        // The input is opened and checked before the output is created, so
        // that no file is emptied for an export that cannot be made, and the
        // index is never emptied as its own export (NAME.TXT in TAB format,
        // or an export file that is another name of the index).
        std::unique_ptr<platform::File> input =
            platform::File::Open(indexPath, platform::OpenMode::ReadBinary);
        if (!input) {
            FileError(port, WithSystemReason(
                                Format("Cannot Open Input Index File: %s", indexPath.c_str())));
            return result;
        }
        if (platform::IsSameFile(indexPath, outputPath)) {
            input->Close();
            FileError(port, Format("Output file %s is the index file itself.", outputPath.c_str()));
            return result;
        }
        // NAME.PMI and NAME.BKI have the same export file: the second would
        // replace the first's without a word.
        for (const std::string& earlier : exported) {
            if (platform::IsSameFile(earlier, outputPath)) {
                input->Close();
                FileError(port, Format("Output file %s was written by this export already.",
                                       outputPath.c_str()));
                return result;
            }
        }
        // An export from before is removed by its name and made anew, never
        // emptied in place: it may be a hard link that another name shares.
        std::unique_ptr<platform::File> output;
        if (!platform::FileExists(outputPath) || platform::RemoveFile(outputPath))
            output = platform::File::Open(outputPath, platform::OpenMode::CreateBinary);
        if (!output) {
            input->Close();
            FileError(port, WithSystemReason(
                                Format("Cannot Open Output Index File: %s", outputPath.c_str())));
            return result;
        }

        // A write that fails would leave a short export that looks complete;
        // it is reported and ends the export like the open failures.
        const std::string title = ExportTitleLine(csv);
        bool written = output->Write(title.data(), title.size());
        int counted = 0;
        IndexRecord record;
        const std::int64_t limit = RecordLimit(*input);
        for (std::int64_t n = 0; written && n < limit && record.ReadFrom(*input); ++n) {
            const std::string line = ExportRecordLine(record, csv);
            written = output->Write(line.data(), line.size());
            ++counted;
            port.SetStatus(StatusLine::LabelInfoMsg2, Format("Message %d", counted));
        }
        // A read error is not the end of the index: the export file would
        // pass for a whole one, so it goes.
        if (input->ReadFailed()) {
            std::string text = CannotReadText(indexPath, input->Tell());
            input->Close();
            output->Close();
            if (!platform::RemoveFile(outputPath))
                text +=
                    WithSystemReason(Format("\nThe incomplete export file %s could not be "
                                            "removed.",
                                            outputPath.c_str()));
            FileError(port, text);
            return result;
        }
        input->Close();
        if (!output->Close())
            written = false;
        if (!written) {
            FileError(port, WithSystemReason(
                                Format("Cannot Write Output Index File: %s", outputPath.c_str())));
            return result;
        }
        port.SetStatus(StatusLine::LabelInfoMsg2, "");
        exported.push_back(outputPath);
        ++result.done;
    }
    result.completed = true;
    result.entries = state.ListBox1.Count();
    return result;
}

void SaveIndexasCSVClick(AppState& state) {
    state.exportCsv = true;
}

void SaveIndexasTABClick(AppState& state) {
    state.exportCsv = false;
}

void SortONExecute(AppState& state) {
    state.sortOn = true;
}

void SortOFFExecute(AppState& state) {
    state.sortOn = false;
}

}  // namespace kestrove
