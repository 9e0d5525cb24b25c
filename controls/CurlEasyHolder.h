#pragma once

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

} // namespace controls
