#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Asks for the Picture CD that holds a photo: Retry once it is in, or Cancel.
class InsertCD : public QDialog
{
    Q_OBJECT
public:
    explicit InsertCD(QWidget *parent = nullptr);

    void Command1_Click();
    void Command2_Click();

    QLabel *Label1 = nullptr; // the disc: date and order number
    QLabel *Label2 = nullptr; // the file
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *Command1 = nullptr; // Retry
    QPushButton *Command2 = nullptr; // Cancel

    // True when the user chose Retry.
    qint16 MyReturnVal;

private:
    void Form_Load();
};
