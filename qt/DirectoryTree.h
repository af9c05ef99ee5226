#pragma once
// The directory tree of one drive, drawn from the engine's directory texts
// and children (app/DirectoryNavigation.h). A directory's children are read
// again whenever it is expanded or entered.

#include <QTreeWidget>
#include <string>

namespace kestrove {

class DirectoryTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit DirectoryTree(QWidget* parent = nullptr);

    // Enters the drive's current directory (its root). False when the drive
    // cannot be entered; nothing changes then.
    bool setDrive(char letter);
    char drive() const { return drive_; }
    // Enters a directory (any drive). False when it does not exist; nothing
    // changes then.
    bool setDirectory(const std::string& path);
    // The current directory's text; empty before the first directory.
    const std::string& directory() const { return directory_; }
    // Reads the shown directories from the disk again.
    void refresh();

  signals:
    // The current directory changed (by the user or by the program).
    void directoryChanged(const QString& directory);
    // The user entered the current directory again (a click or Enter on its
    // entry); its subdirectories are read again already.
    void reentered();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTreeWidgetItem* BuildRoot(char letter);
    void ReadChildren(QTreeWidgetItem* item);
    QTreeWidgetItem* FindChild(QTreeWidgetItem* item, const QString& name);
    void Enter(QTreeWidgetItem* item);
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void OnSelectionChanged();
    void EnteredAgain(QTreeWidgetItem* item);

    char drive_ = 0;
    std::string directory_;
    bool updating_ = false;
    // The press of the click in hand was on the current directory: a click
    // that makes another one current has entered it already.
    bool pressedOnCurrent_ = false;
};

}  // namespace kestrove
