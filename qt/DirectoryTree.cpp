#include "qt/DirectoryTree.h"

#include <QHeaderView>
#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/File.h"
#include "platform/Paths.h"
#include "qt/Dialogs.h"

namespace kestrove {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kPopulatedRole = Qt::UserRole + 1;

std::string RootOf(char letter) {
    return std::string(1, letter) + ":\\";
}

// The directory text, a backslash unless it already ends in one, the name.
std::string Child(const std::string& parent, std::string_view name) {
    std::string path = parent;
    if (path.empty() || !platform::IsSeparator(path.back()))
        path += '\\';
    path += name;
    return path;
}

std::vector<std::string> Components(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 2; i < path.size(); ++i) {
        if (platform::IsSeparator(path[i])) {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += path[i];
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

bool SameName(std::string_view a, std::string_view b) {
    return ToQt(a).compare(ToQt(b), Qt::CaseInsensitive) == 0;
}

// The subdirectories of a directory, sorted without regard to case.
std::vector<std::string> Subdirectories(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& e : platform::FindFiles(Child(directory, "*.*")))
        if (e.isDirectory && e.name != "." && e.name != ".." && platform::IsPlainName(e.name))
            names.push_back(e.name);  // a name with a separator would lead elsewhere
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ToQt(a).compare(ToQt(b), Qt::CaseInsensitive) < 0;
    });
    return names;
}

}  // namespace

DirectoryTree::DirectoryTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { Populate(item); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentItemChanged(current); });
}

std::string DirectoryTree::Canonical(const std::string& path) {
    if (!HasDrive(path))
        return {};
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    std::string result = RootOf(letter);
    if (!platform::DirectoryExists(result))
        return {};
    for (const auto& part : Components(path)) {
        if (part == ".")
            continue;
        if (part.find_first_of("*?") != std::string::npos)
            return {};
        std::string found;
        for (const auto& e : platform::FindFiles(Child(result, part)))
            if (e.isDirectory && SameName(e.name, part)) {
                found = e.name;
                break;
            }
        if (found.empty())
            return {};
        result = Child(result, found);
    }
    return result;
}

QTreeWidgetItem* DirectoryTree::BuildRoot(char letter) {
    const bool was = updating_;
    updating_ = true;
    clear();
    auto* root = new QTreeWidgetItem(this);
    const std::string path = RootOf(letter);
    root->setText(0, ToQt(path));
    root->setData(0, kPathRole, ToQt(path));
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    drive_ = letter;
    updating_ = was;
    return root;
}

void DirectoryTree::Populate(QTreeWidgetItem* item) {
    if (item->data(0, kPopulatedRole).toBool())
        return;
    item->setData(0, kPopulatedRole, true);
    const std::string path = FromQt(item->data(0, kPathRole).toString());
    const auto names = Subdirectories(path);
    QList<QTreeWidgetItem*> children;
    for (const auto& name : names) {
        auto* child = new QTreeWidgetItem();
        child->setText(0, ToQt(name));
        child->setData(0, kPathRole, ToQt(Child(path, name)));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        children << child;
    }
    item->addChildren(children);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* DirectoryTree::FindChild(QTreeWidgetItem* item, const QString& name) {
    Populate(item);
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0).compare(name, Qt::CaseInsensitive) == 0)
            return item->child(i);
    return nullptr;
}

void DirectoryTree::Enter(QTreeWidgetItem* item) {
    const bool was = updating_;
    updating_ = true;
    item->setExpanded(true);  // the current directory shows its subdirectories
    setCurrentItem(item);
    scrollToItem(item);
    updating_ = was;
    const std::string path = FromQt(item->data(0, kPathRole).toString());
    if (path == directory_)
        return;
    directory_ = path;
    emit directoryChanged(ToQt(directory_));
}

bool DirectoryTree::setDirectory(const std::string& path) {
    const std::string canon = Canonical(path);
    if (canon.empty())
        return false;
    if (canon == directory_)
        return true;
    QTreeWidgetItem* item =
        topLevelItemCount() > 0 && drive_ == canon[0] ? topLevelItem(0) : BuildRoot(canon[0]);
    for (const auto& part : Components(canon)) {
        QTreeWidgetItem* child = FindChild(item, ToQt(part));
        if (!child) {  // gone between the two looks: read it again
            item->setData(0, kPopulatedRole, false);
            qDeleteAll(item->takeChildren());
            child = FindChild(item, ToQt(part));
            if (!child)
                return false;
        }
        item->setExpanded(true);
        item = child;
    }
    Enter(item);
    return true;
}

bool DirectoryTree::setDrive(char letter) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (letter < 'A' || letter > 'Z' || !platform::DirectoryExists(RootOf(letter)))
        return false;
    if (letter == drive_ && !directory_.empty())
        return true;
    return setDirectory(RootOf(letter));
}

void DirectoryTree::refresh() {
    const std::string current = directory_;
    if (drive_ == 0)
        return;
    BuildRoot(drive_);
    directory_.clear();
    const bool was = blockSignals(true);
    const bool ok = !current.empty() && setDirectory(current);
    blockSignals(was);
    if (!ok) {
        directory_ = current;  // keep the text; the next change reports
    }
}

void DirectoryTree::OnCurrentItemChanged(QTreeWidgetItem* current) {
    if (updating_ || !current)
        return;
    const std::string path = FromQt(current->data(0, kPathRole).toString());
    if (path == directory_)
        return;
    directory_ = path;
    emit directoryChanged(ToQt(directory_));
}

}  // namespace kestrove
