#include "tests/support/FailingDevice.h"

FailingDevice::FailingDevice(qint64 failAfter, QObject *parent)
    : QBuffer(parent)
    , m_failAfter(failAfter)
{
}

void FailingDevice::setReadData(const QByteArray &bytes)
{
    setData(bytes);
}

qint64 FailingDevice::readData(char *data, qint64 maxSize)
{
    const qint64 left = m_failAfter - m_readCount;
    if (left <= 0) {
        setErrorString(QStringLiteral("Failing device: read limit reached"));
        return -1;
    }
    const qint64 got = QBuffer::readData(data, qMin(maxSize, left));
    if (got > 0)
        m_readCount += got;
    return got;
}

qint64 FailingDevice::writeData(const char *data, qint64 maxSize)
{
    const qint64 left = m_failAfter - m_writeCount;
    if (left <= 0) {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
    // A short write, as write(2) gives when the disk fills in the middle.
    const qint64 written = QBuffer::writeData(data, qMin(maxSize, left));
    if (written > 0)
        m_writeCount += written;
    return written;
}
