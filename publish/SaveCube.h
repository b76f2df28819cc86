#pragma once

#include <QDialog>

class DirectoryList;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "Save Vexilo" dialog: the user names or picks the directory that
// receives the cube's files. Its only output is the chosen directory.
class SaveCube : public QDialog
{
    Q_OBJECT
public:
    explicit SaveCube(QWidget *parent = nullptr);

    void Form_Load();
    void Dir1_Change();
    void Dir1_Click();
    void Drive1_Change();
    void OK_Click();
    void Cancel_Click();

    // The directory OK chose; empty after Cancel.
    const QString &SaveDir() const { return m_saveDir; }

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Current = nullptr;
    DirectoryList *Dir1 = nullptr;
    QComboBox *Drive1 = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;

protected:
    // Escape and the close box count as Cancel.
    void reject() override;

private:
    void SelectDriveOf(const QString &path);

    QString m_saveDir;
    QString m_drive;
};
