#include "mail/MailServer.h"

#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "resources/StringTable.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

MailServer::MailServer(QWidget *parent)
    : QDialog(parent)
{
    setFixedSize(TwipsToPixels(6168), TwipsToPixels(3300));
    Frame1 = new QGroupBox(this);
    Frame1->setGeometry(TwipsRect(120, 105, 5925, 2640));
    Directions = TwipsLabel(Frame1, 120, 360, 5595, 1035);
    Option1 = new QRadioButton(Frame1);
    Option1->setGeometry(TwipsRect(120, 1440, 5595, 255));
    Option2 = new QRadioButton(Frame1);
    Option2->setGeometry(TwipsRect(120, 1800, 5595, 255));
    serverName = new QLineEdit(Frame1);
    serverName->setGeometry(TwipsRect(360, 2160, 5175, 315));
    OK = new QPushButton(this);
    OK->setGeometry(TwipsRect(1672, 2820, 1215, 375));
    OK->setDefault(true);
    Cancel = new QPushButton(this);
    Cancel->setGeometry(TwipsRect(3277, 2820, 1215, 375));

    connect(Option1, &QRadioButton::clicked, this, &MailServer::Option1_Click);
    connect(Option2, &QRadioButton::clicked, this, &MailServer::Option2_Click);
    connect(OK, &QPushButton::clicked, this, &MailServer::OK_Click);
    connect(Cancel, &QPushButton::clicked, this, &MailServer::Cancel_Click);
    AddMnemonic(QKeySequence(Qt::ALT | Qt::Key_D), Option1);
    AddMnemonic(QKeySequence(Qt::ALT | Qt::Key_A), Option2);
    Form_Load();
}

// The choices' captions carry no mnemonic of their own: Alt and the first
// letter of their key word (Default, Alternate) chooses them all the same.
void MailServer::AddMnemonic(const QKeySequence &keys, QRadioButton *option)
{
    auto *shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, option, [option] {
        option->setFocus(Qt::ShortcutFocusReason);
        option->click();
    });
}

QColor MailServer::InactiveBorderColour() const
{
    return palette().color(QPalette::Inactive, QPalette::Window);
}

QColor MailServer::WindowBackgroundColour() const
{
    return palette().color(QPalette::Active, QPalette::Base);
}

void MailServer::SetServerBoxColour(const QColor &colour)
{
    QPalette pal = serverName->palette();
    pal.setColor(QPalette::Base, colour);
    serverName->setPalette(pal);
}

void MailServer::Form_Load()
{
    setWindowTitle(LoadResString(Msg::AdvancedTitle));
    Directions->setText(LoadResString(Msg::ServerDirections));
    Frame1->setTitle(LoadResString(Msg::SendingServices));
    OK->setText(LoadResString(Msg::OK));
    Cancel->setText(LoadResString(Msg::Cancel));
    Option1->setText(LoadResString(Msg::UseDefaultServer));
    Option2->setText(LoadResString(Msg::UseAlternateServer));
    // The box has no label of its own: the choice above it names it.
    serverName->setAccessibleName(Option2->text());
    const MailServerChoice choice = Settings::instance().mailServer();
    if (choice.useDefault) {
        Option1->setChecked(true);
        serverName->setEnabled(false);
        SetServerBoxColour(InactiveBorderColour());
    } else {
        Option2->setChecked(true);
        serverName->setText(choice.server);
        serverName->setSelection(0, int(choice.server.size()));
        SetServerBoxColour(WindowBackgroundColour());
    }
}

void MailServer::Option1_Click()
{
    serverName->setEnabled(false);
    SetServerBoxColour(InactiveBorderColour());
}

void MailServer::Option2_Click()
{
    serverName->setEnabled(true);
    SetServerBoxColour(WindowBackgroundColour());
}

void MailServer::OK_Click()
{
    if (Option1->isChecked())
        Settings::instance().setMailServer(QString());
    else if (!serverName->text().isEmpty())
        Settings::instance().setMailServer(serverName->text());
    else
        ShowMessage(Msg::ServerNameMissing);
    accept();
}

void MailServer::Cancel_Click()
{
    reject();
}
