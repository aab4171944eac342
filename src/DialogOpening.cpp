#include "DialogOpening.h"

#include <utility>

namespace {

bool s_open = false; // the one dialog exists

} // namespace

DialogOpening::~DialogOpening()
{
    release();
}

void DialogOpening::release()
{
    if (m_claimed)
        s_open = false;
    m_claimed = false;
}

bool DialogOpening::anyOpen()
{
    return s_open;
}

bool DialogOpening::begin()
{
    if (s_open)
        return false;
    s_open = m_claimed = true;
    return true;
}

bool DialogOpening::load(const std::function<bool()>& read)
{
    try {
        m_loaded = read();
    } catch (...) {
        m_readError = std::current_exception();
        m_loaded = false;
    }
    return m_loaded;
}

bool DialogOpening::end(bool closedWithOk)
{
    release();
    if (m_readError)
        std::rethrow_exception(std::exchange(m_readError, nullptr));
    return m_loaded && closedWithOk;
}
