#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace velmora::testing {

std::map<std::string, std::string> contentsOf(const std::string& folder) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::ifstream in(e.path(), std::ios::binary);
        all[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return all;
}

std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        std::string name = e.path().lexically_relative(folder).string();
        if (e.is_symlink()) {
            all[name] = "-> " + fs::read_symlink(e.path()).string();
            continue;
        }
        if (e.is_directory()) {
            all[name + "/"];
            continue;
        }
        std::ifstream in(e.path(), std::ios::binary);
        all[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return all;
}

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Restore permissions a test may have taken away, so everything can be removed.
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void TempFolder::file(const std::string& name, const std::string& content) {
    std::ofstream(path_ + name, std::ios::binary) << content;
}

void TempFolder::folder(const std::string& name) { fs::create_directory(path_ + name); }

std::string TempFolder::read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempFolder::exists(const std::string& name) const {
    std::error_code ec;
    return fs::symlink_status(path_ + name, ec).type() != fs::file_type::not_found;
}

std::set<std::string> TempFolder::tree() const {
    std::set<std::string> names;
    for (const auto& [name, content] : treeOf(path_)) names.insert(name);
    return names;
}

std::set<std::string> TempFolder::entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) {
        std::string name = e.path().filename().string();
        if (e.is_directory() && !e.is_symlink()) name += "/";
        names.insert(name);
    }
    return names;
}

}  // namespace velmora::testing
