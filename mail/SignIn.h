#pragma once

#include "mail/MailSignIn.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Sign In to Mail Server": the user name and password for the server the
// send goes through, and whether to remember the password.
class SignIn : public QDialog
{
    Q_OBJECT
public:
    explicit SignIn(const SignInRequest &request, QWidget *parent = nullptr);

    void Form_Load();
    void OK_Click();
    void Cancel_Click();

    // Shows the dialog modally; false when the user cancelled.
    static bool Ask(SignInRequest &request, QWidget *parent);

    QLabel *Directions = nullptr;
    QLabel *ServerLabel = nullptr;
    QLabel *Server = nullptr;
    QLabel *UserLabel = nullptr;
    QLineEdit *User = nullptr;
    QLabel *PasswordLabel = nullptr;
    QLineEdit *Password = nullptr;
    QCheckBox *Remember = nullptr;
    QLabel *NoStore = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;

    SignInRequest request;
};
