#include "mail/SignIn.h"

#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SignIn::SignIn(const SignInRequest &given, QWidget *parent)
    : QDialog(parent)
    , request(given)
{
    Directions = new QLabel(this);
    Directions->setWordWrap(true);
    ServerLabel = new QLabel(this);
    Server = new QLabel(this);
    UserLabel = new QLabel(this);
    User = new QLineEdit(this);
    PasswordLabel = new QLabel(this);
    Password = new QLineEdit(this);
    Password->setEchoMode(QLineEdit::Password);
    UserLabel->setBuddy(User);
    PasswordLabel->setBuddy(Password);
    Remember = new QCheckBox(this);
    NoStore = new QLabel(this);
    NoStore->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    OK = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    Cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    OK->setDefault(true);

    auto *form = new QFormLayout;
    form->addRow(ServerLabel, Server);
    form->addRow(UserLabel, User);
    form->addRow(PasswordLabel, Password);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Directions);
    layout->addLayout(form);
    layout->addWidget(Remember);
    layout->addWidget(NoStore);
    layout->addWidget(buttons);

    connect(OK, &QPushButton::clicked, this, &SignIn::OK_Click);
    connect(Cancel, &QPushButton::clicked, this, &SignIn::Cancel_Click);
    Form_Load();
}

void SignIn::Form_Load()
{
    setWindowTitle(LoadResString(Msg::SignInTitle));
    Directions->setText(request.reason.isEmpty() ? LoadResString(Msg::SignInDirections)
                                                 : MessageText(Msg::SignInNotAccepted, {request.reason}));
    ServerLabel->setText(LoadResString(Msg::SignInServerLabel));
    Server->setText(request.server);
    UserLabel->setText(LoadResString(Msg::SignInUserLabel));
    User->setText(request.user);
    PasswordLabel->setText(LoadResString(Msg::SignInPasswordLabel));
    Remember->setText(LoadResString(Msg::RememberPassword));
    Remember->setChecked(request.remember && request.canRemember);
    Remember->setEnabled(request.canRemember);
    NoStore->setText(LoadResString(Msg::CannotRememberPassword));
    NoStore->setVisible(!request.canRemember);
    OK->setText(LoadResString(Msg::OK));
    Cancel->setText(LoadResString(Msg::Cancel));
    (request.user.isEmpty() ? User : Password)->setFocus();
}

void SignIn::OK_Click()
{
    request.user = User->text();
    request.password = Password->text();
    request.remember = Remember->isChecked();
    accept();
}

void SignIn::Cancel_Click()
{
    reject();
}

bool SignIn::Ask(SignInRequest &given, QWidget *parent)
{
    SignIn dialog(given, parent);
    ShowModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return false;
    given = dialog.request;
    return true;
}
