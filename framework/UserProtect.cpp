#include "framework/UserProtect.h"

#include <windows.h>
#include <wincrypt.h>

namespace {

// The system's LocalAlloc'd output of a DPAPI call: wiped, then freed.
class LocalBlob {
public:
    LocalBlob() = default;
    ~LocalBlob()
    {
        if (m_blob.pbData) {
            SecureZeroMemory(m_blob.pbData, m_blob.cbData);
            LocalFree(m_blob.pbData);
        }
    }
    LocalBlob(const LocalBlob&) = delete;
    LocalBlob& operator=(const LocalBlob&) = delete;

    DATA_BLOB* Out() { return &m_blob; }
    void CopyTo(std::vector<std::uint8_t>& bytes) const { bytes.assign(m_blob.pbData, m_blob.pbData + m_blob.cbData); }

private:
    DATA_BLOB m_blob = {};
};

bool AsBlob(const std::vector<std::uint8_t>& bytes, DATA_BLOB& blob)
{
    if (static_cast<DWORD>(bytes.size()) != bytes.size())  // more than a DWORD counts
        return false;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = const_cast<BYTE*>(bytes.data());  // DPAPI only reads its inputs
    return true;
}

}  // namespace

bool ProtectForUser(const std::vector<std::uint8_t>& secret, const std::vector<std::uint8_t>& entropy,
                    std::vector<std::uint8_t>& blob)
{
    DATA_BLOB in = {};
    DATA_BLOB salt = {};
    if (!AsBlob(secret, in) || !AsBlob(entropy, salt))
        return false;
    LocalBlob out;
    if (!CryptProtectData(&in, nullptr, entropy.empty() ? nullptr : &salt, nullptr, nullptr,
                          CRYPTPROTECT_UI_FORBIDDEN, out.Out()))
        return false;
    out.CopyTo(blob);
    return true;
}

bool UnprotectForUser(const std::vector<std::uint8_t>& blob, const std::vector<std::uint8_t>& entropy,
                      std::vector<std::uint8_t>& secret)
{
    DATA_BLOB in = {};
    DATA_BLOB salt = {};
    if (!AsBlob(blob, in) || !AsBlob(entropy, salt))
        return false;
    LocalBlob out;
    if (!CryptUnprotectData(&in, nullptr, entropy.empty() ? nullptr : &salt, nullptr, nullptr,
                            CRYPTPROTECT_UI_FORBIDDEN, out.Out()))
        return false;
    out.CopyTo(secret);
    return true;
}
