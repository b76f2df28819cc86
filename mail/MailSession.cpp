#include "mail/MailSession.h"

#include "core/MessageBox.h"
#include "core/MessageIds.h"
#include "core/Settings.h"
#include "mail/MailRefusal.h"

#include <cmath>

MailSession::MailSession(QObject *parent)
    : QObject(parent)
{
    Listen();
}

void MailSession::Listen()
{
    connect(&Mail1, &MMail::Done, this, &MailSession::Mail1_Done);
    connect(&Mail1, &MMail::Progress, this, &MailSession::Mail1_Progress);
    connect(&Mail1, &MMail::AsyncError, this, &MailSession::Mail1_AsyncError);
    connect(&Mail1, &MMail::Debug, this, &MailSession::Mail1_Debug);
    connect(&Mail1, &MMail::SignInNeeded, this, &MailSession::Mail1_SignInNeeded);
    connect(&Mail1, &MMail::SignedIn, this, &MailSession::Mail1_SignedIn);
}

void MailSession::RememberSender(const QString &address)
{
    Settings::instance().setFromAddress(address);
}

bool MailSession::WebPageWanted()
{
    return Settings::attachWebPage();
}

void MailSession::RememberWebPage(bool wanted)
{
    Settings::setAttachWebPage(wanted);
}

QString MailSession::SavedCaCertificateFile()
{
    return Settings::caCertificateFile();
}

bool MailSession::ServerRefusesPrograms(const QString &server)
{
    return Settings::serverRefusesPrograms(ServerHost(server));
}

// Refusals are kept by host: a provider refuses programs on every port.
QString MailSession::ServerHost(const QString &server)
{
    const std::optional<SmtpEndpoint> endpoint = SmtpEndpoint::Parse(server);
    return endpoint ? endpoint->host : server;
}

bool MailSession::Send(const MailOrder &order)
{
    // A session may send again after a failure: it starts afresh, and hears
    // nothing that the last transfer left behind.
    Mail1.abort();
    Mail1.disconnect(this);
    Listen();
    sendState = Idle;
    progressFrame = 0;
    progressValue = 0;
    m_signIn.reset();
    m_order = order;
    m_instead = Instead::Nothing;
    MailComposer composer(Mail1, clock);
    if (!composer.Compose(order))
        return Fail();
    sendState = Connecting;
    progressValue = 0;
    emit connecting();
    emit status(Msg::Connecting);
    ShowProgressStep(1);
    if (!Mail1.setAction(MMail::Connect))
        return Fail();
    Mail1.setFlags(64);
    return true;
}

bool MailSession::Fail()
{
    if (Mail1.lastError() != 0)
        ShowMailError(Mail1.lastError(), Mail1.server(), Mail1.lastErrorText());
    else
        ShowMessage(Msg::MessageFormatError);
    End();
    return false;
}

void MailSession::Cancel()
{
    m_instead = Instead::Nothing;
    if (sendState == Sending)
        Mail1.abort();
    End();
}

void MailSession::End()
{
    Mail1.disconnect(this);
    emit finished();
}

void MailSession::Mail1_Done()
{
    switch (sendState) {
    case Connecting:
        sendState = Sending;
        Mail1.setFlags(64);
        Mail1.setAction(MMail::Send);
        emit status(Msg::Sending);
        ShowProgressStep(1);
        break;
    case Sending:
        emit status(Msg::SendComplete);
        ShowProgressStep(10);
        sendState = Disconnecting;
        Mail1.setAction(MMail::Disconnect);
        break;
    case Disconnecting:
        emit status(Msg::Disconnecting);
        ShowProgressStep(10);
        if (!m_order.attachment.isEmpty())
            Settings::setServerRefusesPrograms(ServerHost(Mail1.server()), false);
        End();
        if (progressValue == 10)
            ShowMessage(Msg::SentSuccessfully);
        break;
    case Idle:
        break;
    }
}

void MailSession::Mail1_Progress(qint32 Numerator, qint32 Denominator)
{
    // A report that is no fraction of the message (Denominator 0 among
    // them) leaves the bar and progressValue as they are.
    if (Denominator <= 0 || Numerator < 0 || Numerator > Denominator)
        return;
    const double p = std::nearbyint(double(Numerator) / double(Denominator) * 100.0);
    progressValue = qint16(p);
    if (p > 10) {
        const qint16 s = qint16(std::nearbyintf(float(p) / 10.0f));
        progressValue = s;
        if (s > progressFrame)
            ShowProgressStep(s);
    }
}

void MailSession::Mail1_AsyncError(qint16 ErrorCode, const QString &ErrorMessage)
{
    emit stepsCleared();
    if (sendState == Sending)
        Mail1.setAction(MMail::Disconnect);
    m_instead = ShowFailure(ErrorCode, ErrorMessage);
    End();
}

// The failures that another way can mend offer it; the answer is kept for
// whoever runs the session.
MailSession::Instead MailSession::ShowFailure(qint16 errorCode, const QString &reason)
{
    const QString server = Mail1.server();
    if (errorCode == MMail::DataRefused) {
        const QString quoted = MailRefusal::Quoted(reason);
        if (!MailRefusal::RefusesContent(reason) || m_order.attachment.isEmpty()) {
            ShowMessage(Msg::MessageRefusedBecause, {server, quoted});
            return Instead::Nothing;
        }
        Settings::setServerRefusesPrograms(ServerHost(server), true);
        return ShowMessage(Msg::ProgramRefused, {server, quoted}, MsgButtons::YesNo) == IDYES ? Instead::SendWebPage
                                                                                             : Instead::Nothing;
    }
    if (errorCode == MMail::SignInMethodUnsupported)
        return ShowMessage(Msg::SignInOnlyElsewhere, {server, reason}, MsgButtons::YesNo) == IDYES
                   ? Instead::UseMailProgram
                   : Instead::Nothing;
    ShowMailError(errorCode, server, reason);
    return Instead::Nothing;
}

void MailSession::Mail1_Debug(const QString &)
{
}

void MailSession::Mail1_SignInNeeded(const QString &User, const QString &Reason)
{
    if (!m_signIn) {
        const SmtpEndpoint endpoint = SmtpEndpoint::Parse(Mail1.server()).value_or(SmtpEndpoint());
        m_signIn = std::make_unique<MailSignIn>(passwords, endpoint.host, endpoint.port);
        m_signIn->SetAsker(askSignIn);
        m_signIn->SetUseStore(useSecretStore);
        if (givenPassword)
            m_signIn->SetGivenPassword(*givenPassword);
    }
    SignInRequest request;
    request.user = signInUser.isEmpty() ? User : signInUser;
    request.reason = Reason;
    switch (m_signIn->Next(request)) {
    case MailSignIn::Answer::Given:
        if (!Mail1.signIn(request.user, request.password))
            EndSignIn(Msg::UserNameLineBreak, {});
        break;
    case MailSignIn::Answer::Cancelled:
        EndSignIn(0, {});
        break;
    case MailSignIn::Answer::NotGiven:
        if (Reason.isEmpty())
            EndSignIn(Msg::NoPasswordGiven, {Mail1.server(), request.user});
        else
            EndSignIn(Msg::SignInRefused, {Mail1.server(), Reason});
        break;
    }
}

// Nothing has been sent: the connection goes, and the user hears why
// unless the user chose to stop.
void MailSession::EndSignIn(int textId, const QStringList &arguments)
{
    Mail1.abort();
    emit stepsCleared();
    if (textId)
        ShowMessage(textId, arguments);
    End();
}

void MailSession::Mail1_SignedIn()
{
    if (m_signIn)
        m_signIn->Accepted();
}

void MailSession::ShowProgressStep(qint16 n)
{
    if (n < 1 || n > 10)
        return;
    progressFrame = n;
    emit step(n);
}

int MailSession::MailErrorMessage(int errorNumber)
{
    switch (errorNumber) {
    case -1:
    case 10064:
        return 0;
    case 1101:
    case 10025:
    case 10063:
        return Msg::ServiceNotAvailable;
    case 10043:
    case 10049:
    case 10053:
    case 10058:
    case 10061:
        return Msg::ServiceUnavailable;
    case 10050:
    case 10091:
        return Msg::NoConnection;
    case 10051:
        return Msg::UnableToStartSending;
    case 10060:
    case 10065:
    case 11002:
    case 11004:
    case 20008:
        return Msg::SlowNetwork;
    case MMail::CertificateRejected:
        return Msg::CertificateRejected;
    case MMail::SecureConnectionUnavailable:
        return Msg::SecureConnectionUnavailable;
    case MMail::SecureConnectionFailed:
        return Msg::SecureConnectionFailed;
    case MMail::SecureConnectionNotStarted:
        return Msg::SecureConnectionNotStarted;
    case MMail::SignInMethodUnsupported:
        return Msg::SignInMethodUnsupported;
    case MMail::DataRefused:
        return Msg::MessageRefusedBecause;
    case MMail::SignInRefused:
        return Msg::SignInRefused;
    case MMail::WebSignInRequired:
        return Msg::WebSignInRequired;
    case MMail::InsecureSignIn:
        return Msg::InsecureSignIn;
    case MMail::AddressNotAscii:
        return Msg::AddressNotAscii;
    case MMail::AddressTooLong:
        return Msg::AddressTooLong;
    default:
        return Msg::CommunicationError;
    }
}

void MailSession::ShowMailError(int errorNumber)
{
    if (const int message = MailErrorMessage(errorNumber))
        ShowMessage(message);
}

void MailSession::ShowMailError(int errorNumber, const QString &server, const QString &reason)
{
    const int message = MailErrorMessage(errorNumber);
    if (message == Msg::AddressNotAscii || message == Msg::AddressTooLong)
        ShowMessage(message, {reason});
    else if (message)
        ShowMessage(message, {server, reason});
}
