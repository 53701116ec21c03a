#pragma once
// What a file holds beside its name: a photo's EXIF (when taken, the camera, its size in pixels),
// a song's tags (artist, title, album, track, year) and the file's own modification time. Read
// only for the groups asked for, and kept per file (device, inode, size, modification time), so a
// file read once is not read again until it changes.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/text/encoding.h"
#include "core/text/text.h"

namespace velmora {

/// A moment as a calendar shows it, in local time.
struct Moment {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    /// yyyyMMddHHmmss as one number: moments compare as their keys do.
    long long key() const {
        return ((((year * 100LL + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
    }
};

/// "yyyy:MM:dd HH:mm:ss" (EXIF's form; any separators) as a moment; nothing for a form that is not a
/// real date and time (all zeros, a 13th month, …).
std::optional<Moment> momentFrom(std::string_view exif);

/// Which readers a file goes through.
enum FactGroup : unsigned {
    PhotoFacts = 1,  ///< EXIF
    AudioFacts = 2,  ///< tags
};

struct FileFacts {
    unsigned read = 0;  ///< the groups read (FactGroup bits); a group that found nothing is read too
    bool found = false;  ///< the file could be found (stat)
    Moment modified;
    std::optional<Moment> taken;  ///< DateTimeOriginal, else DateTimeDigitized
    std::optional<Text> camera;
    std::optional<long long> width, height;
    std::optional<Text> artist, title, album;
    std::optional<long long> track, year;
};

/// The facts of files as read so far, per (device, inode, size, modification time); safe to use
/// from several threads.
class FactCache {
public:
    struct Key {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedNs = 0;
        friend bool operator==(const Key& a, const Key& b) {
            return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedNs == b.modifiedNs;
        }
    };
    std::optional<FileFacts> find(const Key& key) const;
    void put(const Key& key, const FileFacts& facts);
    std::size_t size() const;

private:
    struct Hash {
        std::size_t operator()(const Key& k) const {
            return std::hash<std::uint64_t>()(k.inode * 1000003u ^ k.device ^ static_cast<std::uint64_t>(k.modifiedNs) ^
                                              (k.size << 17));
        }
    };
    mutable std::mutex lock_;
    std::unordered_map<Key, FileFacts, Hash> facts_;
};

/// The one cache of the program: values read for a preview serve every later preview and click.
FactCache& sharedFactCache();

/// The facts of groups (FactGroup bits) of the file at path (native), from cache where it holds
/// them for the file as it is now; what is read is put there.
FileFacts factsOf(const NativeName& path, unsigned groups, FactCache& cache);

/// The readers themselves, without the cache: they add what they find to facts and never throw;
/// a damaged or cut-short file gives what could be read before the damage, or nothing.
void readPhotoFacts(const NativeName& path, FileFacts& facts);
void readAudioFacts(const NativeName& path, FileFacts& facts);

}  // namespace velmora
