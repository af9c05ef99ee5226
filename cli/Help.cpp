// The help texts of kestrove-cli. The man page docs/kestrove-cli.1 says the
// same at more length; keep the two together.

#include <string>
#include <string_view>

#include "cli/Options.h"

namespace kestrove::cli {

namespace {

#ifdef _WIN32
constexpr std::string_view kPaths = R"(Paths:
  Arguments are paths such as D:\MAIL\INBOX.PMI, on the drive letters and
  network shares of this machine, in any script Windows allows; a relative
  path starts in the current directory. Messages and log lines name the
  files by their full paths.

)";
constexpr std::string_view kTexts =
    R"(  On a console names and texts show in its own characters; to a file or a
  pipe they are written as UTF-8.
)";
#else
constexpr std::string_view kPaths = R"(Paths:
  Arguments are native paths or Windows path texts such as D:\MAIL\INBOX.PMI.
  A native path is turned into a Windows path text through the drive map
  (the links of ~/.wine/dosdevices, else C: = the home directory and Z: = /);
  when no drive covers it, a free letter is mapped to /. Messages and log
  lines name the files by their Windows path texts.

)";
constexpr std::string_view kTexts = "";
#endif

constexpr std::string_view kOutput = R"(Output:
  Every message box is written to standard error as "TITLE: TEXT". With
  --yes a question gets its go-on answer (Yes, or OK). Otherwise, when
  standard input and standard error are a terminal, it is asked there
  ([y]es/[n]o/[c]ancel or [o]k/[c]ancel); without one it gets its safe
  answer, No where there is one, else Cancel. An answer not typed in is
  written after the box as "-> ANSWER".
  The summary goes to standard output. On a terminal, long commands show a
  progress line on standard error.
)";

constexpr std::string_view kSignals = R"(
Ctrl-C:
  Works as the Abort button of run, network-run, restore, delete-backups,
  move-backups and stats: the command ends at its next abort point, and a
  folder being rewritten keeps its old files. At a question it answers
  Cancel. A second Ctrl-C ends the program at once; view, export and names
  end at the first.

Exit status:
  0  every entry was done
  1  some entry was skipped or failed
  2  usage error
  3  the command ended early (Abort, Cancel, a failure that ends it)
)";

// What every command's help ends with.
std::string Common() {
    std::string text;
    for (std::string_view part : {kPaths, kOutput, kTexts, kSignals})
        text += part;
    return text;
}

constexpr std::string_view kProgram = R"(Usage: kestrove-cli COMMAND [OPTIONS] ARGUMENTS...

Removes duplicate messages from Pegasus Mail (WinPmail) folders, and works
with the backups and reports of Kestrove, from the command line.

Commands:
  run [OPTIONS] INDEX...            remove duplicates from these folders
  network-run [OPTIONS] USERDIR...  the same for every folder of these user
                                    mail directories
  restore BACKUP_INDEX...           put backup pairs back in place
  delete-backups [--no-lock-check] BACKUP_INDEX...
                                    delete backup pairs
  move-backups --to DIR [--no-lock-check] BACKUP_INDEX...
                                    move backup pairs to another directory
  view INDEX                        an index file record by record
  export [--format csv|tab] INDEX...
                                    write NAME.CSV or NAME.TXT beside each
  stats [--sort from|messages|size] [--descending]
        [--copy-to-self self|to|exclude] INDEX...
                                    messages and bytes per sender
  names [--backup] DIR              the folders of DIR by display name

  kestrove-cli COMMAND --help (or kestrove-cli help COMMAND) tells more.
  kestrove-cli --version prints the version and where kestrove keeps its
  settings.

)";

// What each command takes; the man page has the same table.
constexpr std::string_view kTakes = R"(What each command takes (extensions in any letter case):
  run, run --dry-run    index files NAME.PMI. Any other entry is skipped:
                        "X is not an index file (.PMI) - skipping file.",
                        for NAME.BKI and NAME.BKM "X is a backup file -
                        skipping file."
  network-run           user mail directories; anything else: usage error
  restore, delete-backups, move-backups
                        backup index files NAME.BKI. Any other entry (a
                        directory too) is skipped, nothing of it touched:
                        "X is not a backup index file (.BKI) - skipping
                        file."
  view, stats           index files NAME.PMI or backup index files NAME.BKI;
                        anything else: usage error
  export                the same; anything else ends the export before its
                        output file is made. The input is checked first: an
                        export file that is the index itself (under another
                        name), or that this export wrote already (NAME.PMI
                        and NAME.BKI share NAME.CSV), ends it untouched. An
                        export from before is removed and made anew
  names DIR, --to DIR   a directory; anything else: usage error
  --log FILE            any file but a folder's (.PMI, .PMM, .BKI, .BKM) or
                        one that is a given folder's file under another
                        name; such a log ends the command before it starts
  A file named twice (through another spelling, letter case or link) is
  taken once, with a note on standard error.
  Inside a mail directory no link is followed: a folder whose files, backup
  pair, temporary files, export file or Move targets include a link is
  skipped, nothing of it touched: "X is a link - skipping file.". The
  directories named (user directories, --to DIR) may be links.

)";

constexpr std::string_view kRunOptions = R"(Options:
  --no-sort          keep each folder's records in file order (the sort
                     switch off); duplicates are then only found next to
                     each other in the file
  --log FILE         write the run log to FILE (emptied first), as
                     "Save Log File" does; a log that cannot be opened ends
                     the command before anything is changed
  --unread-mismatch ask|ignore|skip
                     when the index and the message file's header count
                     unread messages differently: ask (default), go on, or
                     skip the folder
  --deleted-mismatch ask|ignore|skip
                     the same for the deleted messages
  --existing-backup ask|overwrite|skip
                     when a folder already has a backup pair: ask (default),
                     overwrite it, or skip the folder
  --no-lock-check    do not look for the mail client's lock files (*.lck)
  --dry-run          load and scan only: print per folder its counts, the
                     header's counts, the records that a run would drop and
                     the look-alikes it would keep (by their place in the
                     index file, from 0); no file is changed
  -y, --yes          answer every question with its go-on answer (Yes, OK)
)";

// The options delete-backups and move-backups share.
constexpr std::string_view kBackupOptions =
    R"(  --no-lock-check  do not look for lock files; otherwise every directory that
                   holds one of the files is searched, and one question
                   ("Mailbox Active") covers them all
  -y, --yes        answer every question with OK
  --log FILE       write the log lines of the command to FILE (emptied first)

)";

std::string Join(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

}  // namespace

std::string ProgramHelp() {
    return Join({kProgram, kTakes, Common()});
}

std::string CommandHelp(std::string_view command) {
    if (command == "run")
        return Join({R"(Usage: kestrove-cli run [OPTIONS] INDEX...

The run: for each index file (NAME.PMI) the folder is loaded, sorted by time
and size, and scanned; when it holds duplicates or deleted messages, its pair
becomes the backup pair NAME.BKI/NAME.BKM and a new pair without them is
written. The summary "N of M files processed." counts the folders rewritten.

A duplicate repeats the record before it in sender, subject, date, time and
size, and its text in the message file is that record's text byte for byte.
A record that repeats the fields with another text (or a text that cannot
be read whole) is a look-alike and is kept: "INDEX: K look-alikes kept."
names each folder that kept some, before the summary.

Before the run, unless --no-lock-check, every directory that holds one of
the index files is searched for lock files; when one is found, one question
("Mailbox Active") covers them all.

A folder counts as done when it was rewritten or had nothing to drop; a
folder skipped by an answer, an option or a failure makes the exit status 1.

)",
                     kRunOptions, "\n", Common()});
    if (command == "network-run")
        return Join({R"(Usage: kestrove-cli network-run [OPTIONS] USERDIR...

The network run: the run over every index file (*.pmi) of each user mail
directory, one directory after the other. The summary of each directory's
run goes to standard output as "USERDIR: N of M files processed.". A
directory without index files gets the box "No PMI files in USERDIR." and
counts as skipped. Abort, and Cancel to a count question, end the whole
network run; another failure that ends a directory's run ends that
directory only, and the exit status is then 3.

Before the run, unless --no-lock-check, every user directory and every
directory that holds them are searched for lock files; when one is found,
one question ("Mailbox Active") covers them all.

)",
                     kRunOptions, "\n", Common()});
    if (command == "restore")
        return Join({R"(Usage: kestrove-cli restore [--log FILE] BACKUP_INDEX...

Puts each backup pair NAME.BKI/NAME.BKM back in place of its folder's files
NAME.PMI/NAME.PMM, undoing a run. A pair with a missing half is reported and
skipped with nothing deleted. No lock-file test is made. The summary is
"N of M files processed.".

Options:
  --log FILE   write the log lines of the command to FILE (emptied first)

)",
                     Common()});
    if (command == "delete-backups")
        return Join({R"(Usage: kestrove-cli delete-backups [OPTIONS] BACKUP_INDEX...

Deletes each backup pair NAME.BKI/NAME.BKM. The summary is
"N of M files processed (K deleted).".

Options:
)",
                     kBackupOptions, Common()});
    if (command == "move-backups")
        return Join({R"(Usage: kestrove-cli move-backups --to DIR [OPTIONS] BACKUP_INDEX...

Moves each backup pair NAME.BKI/NAME.BKM into DIR by renaming, so DIR must
be on the same drive; an existing file there is never replaced. DIR must
exist. The summary is "N of M folders moved (K files moved).".

Options:
  --to DIR         the destination directory (required)
)",
                     kBackupOptions, Common()});
    if (command == "view")
        return Join({R"(Usage: kestrove-cli view [--no-sort] INDEX

Prints what the index viewer shows: its two header lines (the message file's
header, then the index file's counts), then one line per grid row, the title
row first, each the 37 cells separated by tabs: No., Dup (Del, Dup for a
duplicate a run drops, Alike for a look-alike it keeps), Position, Msg, File
Name, From, Subject, Date, Clr, mtime, Size, and the 26 flag columns.
Records are sorted by time and size unless --no-sort. The header line is
from the folder's NAME.PMM, also for a backup index file; the texts that
tell duplicates from look-alikes are read where the records point: NAME.PMM,
or NAME.BKM for a backup index file. Nothing is written.
The texts of the records are converted from Windows-1252 to UTF-8.

Options:
  --no-sort    keep the records in file order

)",
                     Common()});
    if (command == "export")
        return Join({R"(Usage: kestrove-cli export [--format csv|tab] INDEX...

Writes every record of each index file to NAME.CSV (comma and blank between
fields) or NAME.TXT (tab between fields) beside it, replacing an existing
file. Standard output gets "File NAME.CSV" for each file exported whole.

Options:
  --format csv|tab   the format (default csv)

)",
                     Common()});
    if (command == "stats")
        return Join({R"(Usage: kestrove-cli stats [OPTIONS] INDEX...

Counts messages and bytes per sender over the index files (deleted messages
are never counted) and prints the three totals ("Addresses:", "Messages:",
"Size:"), then the grid, the title row first, each row's four cells
separated by tabs, then the summary "N of M files processed.". The sender
texts are converted from Windows-1252 to UTF-8.

Options:
  --sort from|messages|size   the order of the rows (default from)
  --descending                in descending order
  --copy-to-self self|to|exclude
                              copies sent to oneself: counted as "Self"
                              (default), as "To: " and the sender, or not
  --log FILE                  write the log lines of the command to FILE

)",
                     Common()});
    if (command == "names")
        return Join({R"(Usage: kestrove-cli names [--backup] DIR

Lists the folders of DIR (its *.pmi files) sorted by the display names in
their message files: one line per folder with its number, display name and
file name, separated by tabs, after a title line. With --backup the backup
index files (*.bki) with the names from their backup message files. The
display names are converted from Windows-1252 to UTF-8.

Options:
  --backup    list the backup pairs

)",
                     Common()});
    return ProgramHelp();
}

}  // namespace kestrove::cli
