#pragma once

#include <QDialog>

class QGroupBox;
class QKeySequence;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Advanced Options": the default relay or an alternate SMTP server.
class MailServer : public QDialog
{
    Q_OBJECT
public:
    explicit MailServer(QWidget *parent = nullptr);

    void Form_Load();
    void OK_Click();
    void Cancel_Click();
    void Option1_Click();
    void Option2_Click();

    // The server box's background while disabled and while enabled.
    QColor InactiveBorderColour() const;
    QColor WindowBackgroundColour() const;

    QGroupBox *Frame1 = nullptr;
    QLabel *Directions = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLineEdit *serverName = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;

private:
    void SetServerBoxColour(const QColor &colour);
    void AddMnemonic(const QKeySequence &keys, QRadioButton *option);
};
