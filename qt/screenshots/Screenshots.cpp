// Photographs every window of the program on sample folders it makes:
// kestrove-screenshots <directory>. Run under a display (scripts/screenshots.sh
// starts Xvfb); the windows are the program's own, built as at start-up.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <cstdio>
#include <string>
#include <vector>

#include <filesystem>

#include "core/MessageFlag.h"
#include "core/Settings.h"
#include "platform/Paths.h"
#include "qt/Dialogs.h"
#include "qt/DirectoryTree.h"
#include "qt/HelpViewer.h"
#include "qt/Program.h"
#include "qt/TAboutBox.h"
#include "qt/TForm1.h"
#include "qt/TForm2.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/TForm5.h"
#include "qt/TForm6.h"
#include "qt/Widgets.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

using namespace kestrove;
using namespace kestrove::testing;

namespace {

QString g_out;
int g_failures = 0;

void Settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

void Shot(QWidget* w, const char* name) {
    Settle();
    const QString path = g_out + QLatin1Char('/') + QString::fromLatin1(name);
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

const char* const kSenders[] = {
    "alice@example.org",
    "Bob Miller",
    "news@shop.example",
    "Carol Smith",
    "postmaster@example.net",
    "dave@univ.example.edu",
    "Erin O'Neill",
    "billing@isp.example",
    "Frank Weber",
    "team@project.example",
    "grace@example.com",
    "Hugo Martin",
};
const char* const kSubjects[] = {
    "Lunch on Friday?",     "Re: Project plan",       "Invoice 2024-031",  "Meeting moved to 3pm",
    "Photos from the trip", "Your order has shipped", "Seminar schedule",  "Re: Budget draft",
    "Weekly digest",        "Fw: Conference call",    "Slides for Monday", "Thanks!",
};

// A folder of `n` messages; every `repeatEvery`-th repeats the one before
// it (the same sender, subject, date, time and size), every
// `deleteEvery`-th is marked deleted.
void Folder(const std::string& indexPath, const std::string& name, int n, int repeatEvery,
            int deleteEvery, int seed) {
    HeaderSpec header;
    header.name = name;
    header.id = "5F3A21C0:0001:" + name.substr(0, 6);
    FolderBuilder folder(header);
    for (int i = 0; i < n; ++i) {
        const bool repeat = repeatEvery > 0 && i % repeatEvery == repeatEvery - 1 && i > 0;
        if (repeat) {
            MessageSpec again = folder.messages().back();
            again.flags &= ~kDeletedBit;
            folder.Add(std::move(again));
            continue;
        }
        const int k = i * 5 + seed * 7;
        const char* from = kSenders[k % 12];
        const char* subject = kSubjects[(i * 7 + seed) % 12];
        const int minutes = i * 47 + seed * 13;
        char date[24];
        std::snprintf(date, sizeof date, "%02d Mar 24 %02d:%02d", 1 + (minutes / 600) % 28,
                      8 + (minutes / 60) % 10, minutes % 60);
        std::uint32_t flags = (i % 4 != 0) ? kReadBit : 0u;
        if (k % 5 == 1)
            flags |= static_cast<std::uint32_t>(MessageFlag::Mime);
        if (i % 7 == 2)
            flags |= static_cast<std::uint32_t>(MessageFlag::Replied);
        if (i % 11 == 3)
            flags |= static_cast<std::uint32_t>(MessageFlag::Urgent);
        if (deleteEvery > 0 && i % deleteEvery == deleteEvery - 1)
            flags |= kDeletedBit;
        std::string text = "From: " + std::string(from) + "\r\nSubject: " + subject + "\r\n\r\n" +
                           std::string(static_cast<std::size_t>(300 + (k * 97) % 4000), 'x') +
                           "\r\n";
        MessageSpec m = Msg(from, subject, date, 1709280000 + minutes * 60, std::move(text), flags);
        m.color = static_cast<std::int8_t>(i % 9 == 0 ? 3 : 0);
        folder.Add(std::move(m));
    }
    if (!folder.Write(indexPath)) {
        std::fprintf(stderr, "cannot write %s\n", indexPath.c_str());
        ++g_failures;
    }
}

QListWidgetItem* Find(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchEndsWith);
    return found.isEmpty() ? nullptr : found.front();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrove"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrove-screenshots <directory>\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    Dialogs::SetTesting(true);  // modal windows are shown and photographed, not waited on

    platform::ClearDriveMap();
    TempDir system('C');
    TempDir mail('D');
    const std::string users = mail / "Mail";
    const std::string alice = users + "\\alice";
    for (const char* user : {"alice", "bob", "carol", "dave", "erin"})
        std::filesystem::create_directories(mail.Native(std::string("Mail\\") + user));
    Folder(alice + "\\INBOX.PMI", "Inbox", 240, 9, 12, 1);
    Folder(alice + "\\SENT.PMI", "Sent items", 120, 0, 0, 2);
    Folder(alice + "\\PROJECTS.PMI", "Projects 2024", 60, 9, 0, 3);
    Folder(alice + "\\FAMILY.PMI", "Family", 40, 0, 11, 4);
    Folder(alice + "\\NEWS.PMI", "Newsletters", 300, 5, 0, 5);
    Folder(alice + "\\ARCHIVE.PMI", "archive (old)", 90, 0, 0, 6);
    Folder(users + "\\bob\\INBOX.PMI", "Inbox", 80, 5, 0, 7);
    Folder(users + "\\carol\\INBOX.PMI", "Inbox", 50, 0, 0, 8);

    const std::string settings = system / "Kestrove.INI";
    {
        IniFile ini(settings);
        ini.WriteString("Startup", "Path", alice);
        ini.WriteInteger("Options", "RunCheck", 1);
    }

    Forms forms = CreateForms(settings);
    TForm1& f = *forms.Form1;
    f.resize(1040, 700);
    f.show();
    Settle();

    // Normal Mode: three folders chosen, one clicked for its summary.
    for (const char* name : {"INBOX.PMI", "NEWS.PMI", "PROJECTS.PMI"})
        if (QListWidgetItem* item = Find(f.FileListBox1, QString::fromLatin1(name)))
            item->setSelected(true);
    f.BtnMoveFileClick();
    f.FileListBox1->clearSelection();
    if (QListWidgetItem* item = Find(f.FileListBox1, QStringLiteral("INBOX.PMI"))) {
        item->setSelected(true);
        f.FileListBox1Click();
    }
    Shot(&f, "main-normal.png");

    // A run, photographed half way.
    bool photographed = false;
    int secondFolderFrom = 0;
    f.SetPumpHook([&](int pump) {
        if (f.state().ListBox1.highlighted != 1 || photographed)
            return;
        if (secondFolderFrom == 0)
            secondFolderFrom = pump;
        if (pump == secondFolderFrom + 180) {
            photographed = true;
            f.FlushDisplay();
            Shot(&f, "main-run.png");
        }
    });
    f.RunDeleteDupes1Click();
    f.SetPumpHook({});
    Settle();

    // Backup Mode: the backups the run left.
    f.ModeRBBackupClick();
    f.BtnMoveAllFilesClick();
    if (QListWidgetItem* item = Find(f.FileListBox1, QStringLiteral("INBOX.BKI"))) {
        item->setSelected(true);
        f.FileListBox1Click();
    }
    Shot(&f, "main-backup.png");

    // The viewer on the Inbox's backup: its repeats and deleted messages.
    if (QListWidgetItem* item = Find(f.ListBox1, QStringLiteral("INBOX.BKI"))) {
        f.ListBox1->setCurrentItem(item);
        Dialogs::SetNextModal([&](QDialog* window) {
            window->resize(1100, 620);
            TForm2& v = *forms.Form2;
            v.StringGrid1->setCurrentIndex(v.StringGrid1->model()->index(5, 6));
            Shot(window, "viewer.png");
        });
        f.ListBox1DblClick();
    }

    // Statistics over the three folders.
    f.ModeRBNormalClick();
    f.BtnMoveAllFilesClick();
    Dialogs::SetNextModal([&](QDialog* window) {
        window->resize(600, 560);
        Shot(window, "statistics.png");
    });
    f.BtnGetStatsClick();

    // The folder name list, two folders chosen.
    f.BtnUnMoveAllFilesClick();
    Dialogs::SetNextModal([&](QDialog* window) {
        forms.Form5->StringGrid1MouseDown(2, 1);
        forms.Form5->StringGrid1MouseDown(4, 1);
        window->resize(460, 420);
        Shot(window, "folders.png");
    });
    f.FileNamesClick();

    // Network Mode in the directory of the users.
    f.SetDirectory(users);
    f.ModeRBNetworkClick();
    for (const char* user : {"alice", "bob"})
        if (QListWidgetItem* item = Find(f.ListBox2, QString::fromLatin1(user)))
            item->setSelected(true);
    f.BtnMoveFileClick();
    f.ListBox2->clearSelection();
    Shot(&f, "main-network.png");

    // The settings windows, About and the help.
    forms.Form3->ChkDrive[2]->setChecked(true);
    forms.Form3->ChkDrive[3]->setChecked(true);
    Dialogs::SetNextModal([&](QDialog* window) { Shot(window, "set-drives.png"); });
    f.SetDrivesExecute();
    Dialogs::SetNextModal([&](QDialog* window) { Shot(window, "options.png"); });
    f.SetOptionsExecute();
    Dialogs::SetNextModal([&](QDialog* window) { Shot(window, "about.png"); });
    f.About1Click();
    f.HelpContents1Execute();
    if (auto* help = f.findChild<HelpViewer*>())
        Shot(help, "help.png");

    const QStringList problems = Dialogs::Failures();
    for (const QString& p : problems)
        std::fprintf(stderr, "%s\n", qPrintable(p));
    return g_failures == 0 && problems.isEmpty() && photographed ? 0 : 1;
}
