#pragma once

#include <QBuffer>

// A device that accepts the first N bytes written to it (or read from it)
// and then fails every further write or read, as a full disk or a pulled
// cable does.
class FailingDevice : public QBuffer
{
public:
    explicit FailingDevice(qint64 failAfter, QObject *parent = nullptr);
    // Reads come from these bytes until the limit is reached.
    void setReadData(const QByteArray &bytes);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    qint64 m_failAfter;
    qint64 m_readCount = 0;
    qint64 m_writeCount = 0;
};
