#include "common/ReaderError.h"

ReaderError::ReaderError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

QString messageOf(const std::exception &error)
{
    if (const auto *readerError = dynamic_cast<const ReaderError *>(&error))
        return readerError->message();
    return QString::fromLocal8Bit(error.what());
}
