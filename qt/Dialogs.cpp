#include "qt/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

namespace {

struct Scripted {
    Answer answer;
    QString title;
};

struct TestScript {
    bool testing = false;
    std::deque<Scripted> answers;
    std::deque<std::function<void(QDialog*)>> modals;
    std::deque<std::optional<SaveChoice>> saveFiles;
    std::vector<std::string> saveFileStarts;
    std::vector<BoxRecord> boxes;
    QStringList failures;
};

TestScript& Script() {
    static TestScript script;
    return script;
}

const char* IconName(Icon icon) {
    switch (icon) {
        case Icon::Stop:
            return "stop";
        case Icon::Exclamation:
            return "exclamation";
        case Icon::Information:
            return "information";
    }
    return "?";
}

Answer DefaultAnswer(Buttons buttons) {
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

}  // namespace

QString ToQt(std::string_view text) {
    if (platform::IsValidUtf8(text))
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::string utf8 = platform::Cp1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    return text.toStdString();
}

QString FromCp1252(std::string_view text) {
    // The grids ask for every visible cell at each repaint; most are ASCII.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const std::string utf8 = platform::Cp1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Answer Dialogs::Message(QWidget* parent, const std::string& text, const std::string& title,
                        Icon icon, Buttons buttons, DefaultButton byDefault) {
    TestScript& s = Script();
    BoxRecord record{ToQt(text), ToQt(title), icon, buttons, DefaultAnswer(buttons), byDefault};
    if (s.testing) {
        if (s.answers.empty()) {
            s.failures << QStringLiteral("unscripted %1 box \"%2\": %3")
                              .arg(QString::fromLatin1(IconName(icon)), record.title, record.text);
        } else {
            Scripted next = s.answers.front();
            s.answers.pop_front();
            if (!next.title.isEmpty() && next.title != record.title)
                s.failures << QStringLiteral("box titled \"%1\" where \"%2\" was expected: %3")
                                  .arg(record.title, next.title, record.text);
            record.answer = next.answer;
        }
        s.boxes.push_back(record);
        return record.answer;
    }

    QMessageBox box(parent);
    box.setWindowTitle(record.title);
    box.setText(record.text);
    switch (icon) {
        case Icon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
    }
    switch (buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(byDefault == DefaultButton::Cancel ? QMessageBox::Cancel
                                                                    : QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case Buttons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            box.setDefaultButton(byDefault == DefaultButton::Cancel ? QMessageBox::Cancel
                                                                    : QMessageBox::Yes);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    box.exec();
    Answer answer = DefaultAnswer(buttons);
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            answer = Answer::Ok;
            break;
        case QMessageBox::Yes:
            answer = Answer::Yes;
            break;
        case QMessageBox::No:
            answer = Answer::No;
            break;
        case QMessageBox::Cancel:
            answer = Answer::Cancel;
            break;
        default:
            break;
    }
    record.answer = answer;
    s.boxes.push_back(record);
    if (s.boxes.size() > 100)  // only tests read them; keep the program's memory flat
        s.boxes.erase(s.boxes.begin(), s.boxes.begin() + 50);
    return answer;
}

void Dialogs::Error(QWidget* parent, const std::string& text) {
    Message(parent, text, kProgramTitle, Icon::Stop, Buttons::Ok);
}

int Dialogs::Exec(QDialog* dialog) {
    TestScript& s = Script();
    if (!s.testing)
        return dialog->exec();
    dialog->setResult(QDialog::Rejected);
    if (s.modals.empty()) {
        s.failures << QStringLiteral("unscripted window \"%1\"").arg(dialog->windowTitle());
        return QDialog::Rejected;
    }
    auto inside = std::move(s.modals.front());
    s.modals.pop_front();
    dialog->show();
    inside(dialog);
    dialog->hide();
    return dialog->result();
}

std::optional<SaveChoice> Dialogs::SaveFile(QWidget* parent, const QString& title,
                                            const QStringList& filters,
                                            const std::string& startDirectory) {
    TestScript& s = Script();
    if (s.testing) {
        s.saveFileStarts.push_back(startDirectory);
        if (s.saveFiles.empty()) {
            s.failures << QStringLiteral("unscripted save-file dialog");
            return std::nullopt;
        }
        auto next = s.saveFiles.front();
        s.saveFiles.pop_front();
        return next;
    }
    QString start;
    if (auto native = platform::ToNative(startDirectory))
        start = ToQt(*native);
    QString selected = filters.value(0);
    const QString chosen =
        QFileDialog::getSaveFileName(parent, title, start, filters.join(";;"), &selected);
    if (chosen.isEmpty())
        return std::nullopt;
    const int filter = std::max(0, static_cast<int>(filters.indexOf(selected)));
    // The engine speaks Windows paths; a file outside every mapped drive
    // keeps its native spelling, which the platform layer cannot open, and
    // the command reports that as it reports any file it cannot open.
    if (auto windows = platform::FromNative(FromQt(chosen)))
        return SaveChoice{*windows, filter};
    return SaveChoice{FromQt(chosen), filter};
}

void Dialogs::SetTesting(bool on) {
    Script().testing = on;
}
bool Dialogs::Testing() {
    return Script().testing;
}
void Dialogs::SetNextAnswer(Answer answer, QString expectTitle) {
    Script().answers.push_back({answer, std::move(expectTitle)});
}
void Dialogs::SetNextModal(std::function<void(QDialog*)> inside) {
    Script().modals.push_back(std::move(inside));
}
void Dialogs::SetNextSaveFile(std::optional<std::string> path, int filter) {
    if (path)
        Script().saveFiles.push_back(SaveChoice{std::move(*path), filter});
    else
        Script().saveFiles.push_back(std::nullopt);
}
const std::vector<std::string>& Dialogs::SaveFileStarts() {
    return Script().saveFileStarts;
}
const std::vector<BoxRecord>& Dialogs::Boxes() {
    return Script().boxes;
}
QStringList Dialogs::Failures() {
    return Script().failures;
}
bool Dialogs::ScriptDone() {
    const TestScript& s = Script();
    return s.answers.empty() && s.modals.empty() && s.saveFiles.empty();
}
void Dialogs::Reset() {
    TestScript& s = Script();
    const bool testing = s.testing;
    s = TestScript{};
    s.testing = testing;
}

}  // namespace kestrove
