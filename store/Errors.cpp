#include "Errors.h"

#include <utility>

F2tpError::F2tpError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}
