#pragma once

struct curl_slist;

namespace controls {

// A libcurl easy handle, cleaned up once when the holder goes or is reset; empty when none
// could be made.
class CurlEasyHolder {
public:
    CurlEasyHolder() = default;
    ~CurlEasyHolder() { reset(); }
    CurlEasyHolder(const CurlEasyHolder&) = delete;
    CurlEasyHolder& operator=(const CurlEasyHolder&) = delete;

    // Replaces the handle with a new one; false when libcurl could not make it.
    bool make();
    void reset();
    void* get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    void* m_handle = nullptr;
};

// A libcurl string list (recipients, headers), freed once when the holder goes. A handle that
// was given the list must let go of it before the holder does.
class CurlListHolder {
public:
    CurlListHolder() = default;
    ~CurlListHolder();
    CurlListHolder(const CurlListHolder&) = delete;
    CurlListHolder& operator=(const CurlListHolder&) = delete;

    // Adds a copy of the text; false when libcurl could not, the list as it was.
    bool append(const char* text);
    curl_slist* get() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

} // namespace controls
