#pragma once

#include <QJsonObject>
#include <QString>

// A desktop whose mail program is mailto_recorder.py: a desktop file in
// $XDG_DATA_HOME made the default mailto handler with xdg-mime, in the
// temporary home of a TestEnvironment (made first). No desktop is detected,
// so xdg-email takes the generic way; with registered false no mail program
// is set up at all and no browser stands in for one.
class MailProgramDesktop
{
public:
    explicit MailProgramDesktop(bool registered = true);
    ~MailProgramDesktop();

    bool isReady() const { return m_ready; }
    // What the mail program was handed, waiting up to timeoutMs for it.
    QJsonObject record(int timeoutMs = 20000) const;

private:
    QString m_record;
    bool m_ready = false;
};
