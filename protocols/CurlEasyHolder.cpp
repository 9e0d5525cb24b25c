#include "protocols/CurlEasyHolder.h"

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

CurlListHolder::~CurlListHolder() { curl_slist_free_all(m_list); }

bool CurlListHolder::append(const char* text)
{
    // On failure libcurl answers nothing and leaves the list it was given untouched.
    curl_slist* longer = curl_slist_append(m_list, text);
    if (!longer)
        return false;
    m_list = longer;
    return true;
}

} // namespace controls
