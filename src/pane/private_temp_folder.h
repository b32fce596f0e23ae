#pragma once
// A folder of this run's own under the temporary folder, made with mode 0700
// so no one else can plant files or links in it and two running copies never
// share their page files. It is removed with its files when the object goes.
#include <filesystem>
#include <string>

namespace vesk {

class PrivateTempFolder {
public:
    // Makes "<base>/vesk-XXXXXX". On failure the folder is invalid and
    // FilePath names files in a folder that does not exist, so writing them
    // fails instead of landing in the shared folder.
    explicit PrivateTempFolder(const std::filesystem::path& base);
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    bool IsValid() const { return m_bValid; }
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path FilePath(const std::string& name) const { return m_path / name; }

    // Deletes the files and the folder; safe to call twice.
    void Remove();

private:
    std::filesystem::path m_path;
    bool m_bValid = false;
};

} // namespace vesk
