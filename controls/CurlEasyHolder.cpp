#include "controls/CurlEasyHolder.h"

#include <curl/curl.h>

namespace controls {

bool CurlEasyHolder::make()
{
    reset();
    m_handle = curl_easy_init();
    return m_handle != nullptr;
}

void CurlEasyHolder::reset()
{
    if (m_handle)
        curl_easy_cleanup(static_cast<CURL*>(m_handle));
    m_handle = nullptr;
}

} // namespace controls
