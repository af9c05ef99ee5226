#pragma once
// The directory tree of one drive, read through the platform layer, so that
// it shows the same Windows path world as the engine: "C:\" for a root,
// "C:\Mail\Bob" below it (no trailing backslash), names as the disk spells
// them, matched without regard to case.

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

    // The text of a path with its drive letter in capitals and the
    // components as the disk spells them; empty when it does not exist.
    static std::string Canonical(const std::string& path);

  signals:
    // The current directory changed (by the user or by the program).
    void directoryChanged(const QString& directory);

  private:
    QTreeWidgetItem* BuildRoot(char letter);
    void Populate(QTreeWidgetItem* item);
    QTreeWidgetItem* FindChild(QTreeWidgetItem* item, const QString& name);
    void Enter(QTreeWidgetItem* item);
    void OnCurrentItemChanged(QTreeWidgetItem* current);

    char drive_ = 0;
    std::string directory_;
    bool updating_ = false;
};

}  // namespace kestrove
