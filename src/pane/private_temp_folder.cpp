#include "pane/private_temp_folder.h"

#include <cstdlib>
#include <system_error>
#include <vector>

namespace vesk {

PrivateTempFolder::PrivateTempFolder(const std::filesystem::path& base)
{
    std::string pattern = (base / "vesk-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp makes the folder with mode 0700 and a name no one can predict.
    if (mkdtemp(buffer.data()) != nullptr) {
        m_path = buffer.data();
        m_bValid = true;
    } else {
        m_path = pattern;  // never created: writes into it fail
    }
}

PrivateTempFolder::~PrivateTempFolder()
{
    Remove();
}

void PrivateTempFolder::Remove()
{
    if (!m_bValid)
        return;
    std::error_code error;
    // The folder is ours alone; remove_all does not follow links out of it.
    std::filesystem::remove_all(m_path, error);
    m_bValid = false;
}

} // namespace vesk
