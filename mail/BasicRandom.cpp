#include "mail/BasicRandom.h"

double BasicRandom::next()
{
    m_state = quint32((quint64(m_state) * 1140671485u + 12820163u) & 0xFFFFFFu);
    return double(m_state) / double(1 << 24);
}

BasicRandom &BasicRandom::program()
{
    static BasicRandom generator;
    return generator;
}
