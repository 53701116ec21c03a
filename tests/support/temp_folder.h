#pragma once
// A real folder for one test, removed afterwards. Names are UTF-8.

#include <map>
#include <set>
#include <string>

namespace velmora::testing {

/// Every file directly in folder (a path with its separator) with its content, by name.
std::map<std::string, std::string> contentsOf(const std::string& folder);
/// Every entry at every depth below folder by its relative path, folders ending in "/" with an
/// empty content, files with theirs, links with "-> " and where they point; links are not followed.
std::map<std::string, std::string> treeOf(const std::string& folder);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    /// The folder path with its trailing separator.
    const std::string& path() const { return path_; }
    void file(const std::string& name, const std::string& content = "");
    void folder(const std::string& name);
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    /// Every entry directly in the folder; folders end in "/".
    std::set<std::string> entries() const;
    /// Every entry at every depth, by relative path; folders end in "/".
    std::set<std::string> tree() const;

private:
    std::string path_;
};

}  // namespace velmora::testing
