#include "publish/SaveCube.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "core/Twips.h"
#include "publish/CubeSave.h"
#include "publish/DirectoryList.h"
#include "resources/StringTable.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

SaveCube::SaveCube(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("SaveCube"));
    setFixedSize(TwipsToPixels(4620), TwipsToPixels(4776));

    Label2 = TwipsLabel(this, 90, 75, 4410, 1335);
    Label1 = new QLabel(this);
    Label1->setGeometry(TwipsRect(105, 1485, 4380, 270));
    Current = new QLineEdit(this);
    Current->setObjectName(QStringLiteral("Current"));
    Current->setGeometry(TwipsRect(90, 1785, 3015, 285));
    Label1->setBuddy(Current);
    OK = new QPushButton(this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setGeometry(TwipsRect(3255, 1785, 1215, 375));
    OK->setDefault(true);
    Dir1 = new DirectoryList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(TwipsRect(75, 2310, 3015, 1890));
    Cancel = new QPushButton(this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(TwipsRect(3270, 2310, 1215, 375));
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(TwipsRect(90, 4350, 3015, 315));
    Drive1->addItems(DirectoryList::Drives());

    setTabOrder(Current, Dir1);
    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, OK);
    setTabOrder(OK, Cancel);

    connect(Dir1, &DirectoryList::change, this, &SaveCube::Dir1_Change);
    connect(Dir1, &DirectoryList::click, this, &SaveCube::Dir1_Click);
    connect(Drive1, &QComboBox::activated, this, &SaveCube::Drive1_Change);
    connect(OK, &QPushButton::clicked, this, &SaveCube::OK_Click);
    connect(Cancel, &QPushButton::clicked, this, &SaveCube::Cancel_Click);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

void SaveCube::Form_Load()
{
    setWindowTitle(LoadResString(Msg::SaveTitle));
    OK->setText(LoadResString(Msg::OK));
    Cancel->setText(LoadResString(Msg::Cancel));
    Label1->setText(LoadResString(Msg::EnterDirectoryName));
    Label2->setText(LoadResString(Msg::SaveDirections));
    Dir1->setPath(Settings::instance().cubeDirectory());
    Current->setText(Dir1->path());
    Current->end(false);
    Current->setFocus();
    SelectDriveOf(Dir1->path());
}

// The drive whose root is the longest leading part of path.
void SaveCube::SelectDriveOf(const QString &path)
{
    int best = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemText(i);
        const bool holds =
            path == root || path.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
        if (holds && (best < 0 || root.size() > Drive1->itemText(best).size()))
            best = i;
    }
    if (best >= 0)
        Drive1->setCurrentIndex(best);
    m_drive = Drive1->currentText();
}

void SaveCube::Dir1_Change()
{
    Current->setText(Dir1->path());
}

void SaveCube::Dir1_Click()
{
    Current->setText(Dir1->path());
}

// A drive that cannot be read leaves the list where it was.
void SaveCube::Drive1_Change()
{
    const QString drive = Drive1->currentText();
    if (!QDir(drive).isReadable()) {
        Drive1->setCurrentText(m_drive);
        return;
    }
    m_drive = drive;
    Dir1->setPath(drive);
    Current->setText(Dir1->path());
}

void SaveCube::OK_Click()
{
    m_saveDir = CubeSave::ChooseSaveDirectory(Current->text(), Dir1->path());
    accept();
}

void SaveCube::Cancel_Click()
{
    m_saveDir.clear();
    QDialog::reject();
}

void SaveCube::reject()
{
    Cancel_Click();
}
