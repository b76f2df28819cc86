#include "photosource/InsertCD.h"

#include "core/Globals.h"
#include "core/MessageIds.h"
#include "core/Twips.h"
#include "resources/StringTable.h"

#include <QLabel>
#include <QPushButton>

InsertCD::InsertCD(QWidget *parent)
    : QDialog(parent)
    , MyReturnVal(False)
{
    setObjectName(QStringLiteral("InsertCD"));
    setFixedSize(TwipsToPixels(5160), TwipsToPixels(1332));
    Label3 = TwipsLabel(this, 120, 75, 1575, 255);
    Label1 = TwipsLabel(this, 1830, 75, 3240, 270);
    Label4 = TwipsLabel(this, 135, 300, 1530, 255);
    Label2 = TwipsLabel(this, 1830, 315, 3240, 570);
    Label2->setTextFormat(Qt::PlainText);
    Command1 = new QPushButton(this);
    Command1->setGeometry(TwipsRect(990, 945, 1395, 375));
    Command1->setDefault(true);
    Command2 = new QPushButton(this);
    Command2->setGeometry(TwipsRect(2805, 945, 1395, 375));
    connect(Command1, &QPushButton::clicked, this, &InsertCD::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &InsertCD::Command2_Click);
    Form_Load();
}

void InsertCD::Form_Load()
{
    setWindowTitle(LoadResString(Msg::InsertPictureCDTitle));
    Label3->setText(LoadResString(Msg::InsertPictureCD));
    Label4->setText(LoadResString(Msg::ThatContainsTheFile));
    Command1->setText(LoadResString(Msg::Retry));
    Command2->setText(LoadResString(Msg::Cancel));
}

void InsertCD::Command1_Click()
{
    MyReturnVal = True;
    accept();
}

void InsertCD::Command2_Click()
{
    MyReturnVal = False;
    reject();
}
