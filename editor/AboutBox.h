#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the program's artwork, its version and an OK button.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    void Form_Load();
    void OK_Click();

    // "major.minor.revision", each without leading zeros.
    static QString VersionText(int major, int minor, int revision);

    QLabel *Back = nullptr;
    QLabel *Version = nullptr;
    QLabel *VersionNumber = nullptr;
    QLabel *ProjectHome = nullptr; // where the project lives on the web
    QPushButton *OK = nullptr;
};
