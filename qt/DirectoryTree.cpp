#include "qt/DirectoryTree.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <vector>

#include "app/DirectoryNavigation.h"
#include "qt/Dialogs.h"

namespace kestrove {

namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* NewItem(const std::string& parent, const std::string& name) {
    auto* item = new QTreeWidgetItem();
    item->setText(0, ToQt(name));
    item->setData(0, kPathRole, ToQt(ChildDirectory(parent, name)));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
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
            [this](QTreeWidgetItem* item) { ReadChildren(item); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentItemChanged(current); });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (pressedOnCurrent_)
            EnteredAgain(item);
    });
    // The mouse and the keys move the current item with the selection;
    // assistive technology selects alone. Its selection enters the
    // directory as a click does, and the highlight never leaves the
    // current directory.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnSelectionChanged(); });
}

void DirectoryTree::EnteredAgain(QTreeWidgetItem* item) {
    if (updating_ || !item || FromQt(item->data(0, kPathRole).toString()) != directory_)
        return;
    ReadChildren(item);
    emit reentered();
}

void DirectoryTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    pressedOnCurrent_ = item && item == currentItem();
    QTreeWidget::mousePressEvent(event);
}

void DirectoryTree::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        EnteredAgain(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void DirectoryTree::OnSelectionChanged() {
    if (updating_)
        return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QTreeWidgetItem* current = currentItem();
    if (selected.isEmpty()) {
        if (current)
            current->setSelected(true);
        return;
    }
    // A row selected beside the current one (assistive technology does not
    // clear the old selection in every case) is the one chosen.
    for (QTreeWidgetItem* item : selected)
        if (item != current) {
            setCurrentItem(item);
            return;
        }
}

QTreeWidgetItem* DirectoryTree::BuildRoot(char letter) {
    const bool was = updating_;
    updating_ = true;
    clear();
    auto* root = new QTreeWidgetItem(this);
    const std::string path = DriveRoot(letter);
    root->setText(0, ToQt(path));
    root->setData(0, kPathRole, ToQt(path));
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    drive_ = letter;
    updating_ = was;
    return root;
}

// The children as the disk has them now: new directories come in at their
// place, gone ones go; the others keep their items (and their expansion).
void DirectoryTree::ReadChildren(QTreeWidgetItem* item) {
    const bool was = updating_;
    updating_ = true;
    const std::string path = FromQt(item->data(0, kPathRole).toString());
    const std::vector<std::string> names = Subdirectories(path);
    int at = 0;
    for (const auto& name : names) {
        const QString text = ToQt(name);
        int found = -1;
        for (int i = at; i < item->childCount(); ++i)
            if (item->child(i)->text(0) == text) {
                found = i;
                break;
            }
        if (found < 0) {
            item->insertChild(at, NewItem(path, name));
        } else {
            for (int i = found; i > at; --i)
                delete item->takeChild(at);  // gone from the disk
        }
        ++at;
    }
    while (item->childCount() > at)
        delete item->takeChild(at);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    updating_ = was;
}

QTreeWidgetItem* DirectoryTree::FindChild(QTreeWidgetItem* item, const QString& name) {
    ReadChildren(item);
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0).compare(name, Qt::CaseInsensitive) == 0)
            return item->child(i);
    return nullptr;
}

void DirectoryTree::Enter(QTreeWidgetItem* item) {
    const bool was = updating_;
    updating_ = true;
    ReadChildren(item);
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
    const TreeStep step = StepInto(path, directory_);
    if (!step.possible || step.directory.empty())
        return step.possible;
    const std::string& canon = step.directory;
    QTreeWidgetItem* item =
        topLevelItemCount() > 0 && drive_ == canon[0] ? topLevelItem(0) : BuildRoot(canon[0]);
    for (const auto& part : DirectoryComponents(canon)) {
        QTreeWidgetItem* child = FindChild(item, ToQt(part));
        if (!child)  // gone since the look above
            return false;
        item->setExpanded(true);
        item = child;
    }
    Enter(item);
    return true;
}

bool DirectoryTree::setDrive(char letter) {
    const TreeStep step = StepToDrive(letter, directory_);
    return step.possible && (step.directory.empty() || setDirectory(step.directory));
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
    ReadChildren(current);  // entered: its subdirectories as they are now
    directory_ = path;
    emit directoryChanged(ToQt(directory_));
}

}  // namespace kestrove
