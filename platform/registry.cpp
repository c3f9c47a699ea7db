#include "platform/registry.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "platform/config_folder.h"

namespace plat {

namespace {

constexpr const char* kFileName = "registry.reg";
// Far beyond any settings file the program writes; a bigger file is treated
// as damaged instead of being read into memory.
constexpr off_t kMaxFileBytes = 64 << 20;

bool readAll(int fd, std::string& out, std::size_t limit) {
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0 || out.size() > limit) return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

std::string utcStamp() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
    return buf;
}

}  // namespace

const char* regStatusName(RegStatus s) {
    switch (s) {
    case RegStatus::Ok: return "Ok";
    case RegStatus::NotFound: return "NotFound";
    case RegStatus::InvalidName: return "InvalidName";
    case RegStatus::IoError: return "IoError";
    }
    return "?";
}

std::string RegDamage::message() const {
    std::string m = file.string();
    if (!errors.empty()) {
        if (errors.front().line > 0) m += " line " + std::to_string(errors.front().line);
        m += ": " + errors.front().reason;
    }
    if (errorCount > 1) m += " (and " + std::to_string(errorCount - 1) + " more damaged lines)";
    m += keptAs.empty() ? "; no copy could be kept, so changes are refused"
                        : "; the damaged file was kept as " + keptAs.string();
    return m;
}

Registry::Registry(std::filesystem::path folder) : folder_(std::move(folder)) {}

Registry& Registry::current() {
    static Registry registry(configFolder());
    return registry;
}

void Registry::reopen(std::filesystem::path folder) {
    std::lock_guard guard(mutex_);
    folder_ = std::move(folder);
    root_ = RegKeyNode();
    loadedFd_.reset();
    loadedId_.reset();
    loaded_ = false;
    refuseWrites_ = false;
    sweptTemps_ = false;
    lastError_.clear();
    lastDamage_.reset();
    damagedId_.reset();
    preservedId_.reset();
}

std::filesystem::path Registry::file() const {
    std::lock_guard guard(mutex_);
    return folder_ / kFileName;
}

std::filesystem::path Registry::lockFile() const { return folder_ / (std::string(kFileName) + ".lock"); }

std::string Registry::lastError() const {
    std::lock_guard guard(mutex_);
    return lastError_;
}

std::optional<RegDamage> Registry::lastDamage() const {
    std::lock_guard guard(mutex_);
    return lastDamage_;
}

void Registry::setDamageHandler(std::function<void(const RegDamage&)> handler) {
    std::lock_guard guard(mutex_);
    damageHandler_ = std::move(handler);
}

RegStatus Registry::ioError(std::string message) {
    lastError_ = std::move(message);
    return RegStatus::IoError;
}

void Registry::adopt(UniqueFd fd, std::optional<FileIdentity> id, RegKeyNode root) {
    root_ = std::move(root);
    loadedFd_ = std::move(fd);
    loadedId_ = id;
    loaded_ = true;
    refuseWrites_ = false;
}

RegStatus Registry::refresh(FileLock* lock) {
    std::filesystem::path path = folder_ / kFileName;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return ioError(fileErrorText(path, errno));
        if (!loaded_ || loadedId_) adopt(UniqueFd(), std::nullopt, RegKeyNode());
        return RegStatus::Ok;
    }
    if (loaded_ && loadedId_ && *loadedId_ == fileIdentity(st)) return RegStatus::Ok;
    bool needLock = false;
    RegStatus s = load(lock, needLock);
    if (!needLock) return s;
    // Only a lock holder may set a damaged file aside; read again under the
    // lock, since a writer may have replaced the file in the meantime.
    FileLock own;
    std::string err;
    if (!own.acquire(lockFile(), err)) return ioError(err);
    return load(&own, needLock);
}

RegStatus Registry::load(FileLock* lock, bool& needLock) {
    std::filesystem::path path = folder_ / kFileName;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        if (errno != ENOENT && errno != ENOTDIR) return ioError(fileErrorText(path, errno));
        adopt(UniqueFd(), std::nullopt, RegKeyNode());
        return RegStatus::Ok;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return ioError(fileErrorText(path, errno));
    if (!S_ISREG(st.st_mode)) return ioError(path.string() + ": not a regular file");
    FileIdentity id = fileIdentity(st);

    RegTextParse parsed;
    std::string text;
    if (st.st_size <= kMaxFileBytes && !readAll(fd.get(), text, kMaxFileBytes))
        return ioError(fileErrorText(path, errno));
    if (st.st_size > kMaxFileBytes || text.size() > std::size_t(kMaxFileBytes)) {
        parsed.errors.push_back(RegTextError{0, "file larger than 64 MiB"});
        parsed.errorCount = 1;
    } else {
        parsed = parseRegText(text);
    }
    if (parsed.ok()) {
        adopt(std::move(fd), id, std::move(parsed.root));
        return RegStatus::Ok;
    }
    if (!lock) {
        needLock = true;
        return RegStatus::Ok;
    }
    return recoverDamaged(std::move(fd), id, std::move(parsed));
}

RegStatus Registry::recoverDamaged(UniqueFd fd, FileIdentity id, RegTextParse parsed) {
    std::filesystem::path path = folder_ / kFileName;
    RegDamage damage{path, {}, std::move(parsed.errors), parsed.errorCount};
    if (preservedId_ != id) {
        std::string err;
        std::filesystem::path aside = path;
        aside += ".damaged-" + utcStamp();
        bool kept = false;
        for (int n = 1; n <= 100 && !kept; ++n) {
            std::filesystem::path candidate = aside;
            if (n > 1) candidate += "-" + std::to_string(n);
            kept = copyToNewFile(fd.get(), candidate, err);
            if (kept)
                aside = candidate;
            else if (!std::filesystem::exists(candidate))
                break;
        }
        if (!kept) {
            report(id, std::move(damage));
            adopt(std::move(fd), id, std::move(parsed.root));
            refuseWrites_ = true;
            lastError_ = err;
            return RegStatus::Ok;
        }
        preservedId_ = id;
        damage.keptAs = aside;
        report(id, std::move(damage));
    }
    std::string err;
    auto fresh = replaceFileAtomically(path, formatRegText(parsed.root), err);
    if (!fresh) {
        // The copy exists, so the next successful write may replace the file.
        adopt(std::move(fd), id, std::move(parsed.root));
        lastError_ = err;
        return RegStatus::Ok;
    }
    adopt(std::move(fresh->fd), fresh->id, std::move(parsed.root));
    return RegStatus::Ok;
}

void Registry::sweepStaleTemps() {
    // Temporary files are only made under the lock, so any found while holding
    // it were left by a writer that was killed.
    std::string prefix = std::string(kFileName) + ".tmp-";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ec)) {
        if (entry.path().filename().string().starts_with(prefix)) std::filesystem::remove(entry.path(), ec);
    }
}

void Registry::report(FileIdentity id, RegDamage damage) {
    if (lastDamage_ && damagedId_ == id && lastDamage_->keptAs == damage.keptAs) return;
    damagedId_ = id;
    lastDamage_ = std::move(damage);
    if (damageHandler_) damageHandler_(*lastDamage_);
}

RegStatus Registry::modify(const std::function<RegStatus(RegKeyNode&, bool&)>& change) {
    std::lock_guard guard(mutex_);
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) return ioError(fileErrorText(folder_, ec.value()));
    FileLock lock;
    std::string err;
    if (!lock.acquire(lockFile(), err)) return ioError(err);
    if (!sweptTemps_) {
        sweepStaleTemps();
        sweptTemps_ = true;
    }
    if (refuseWrites_) loaded_ = false;  // try once more to keep a copy of the damaged file
    if (RegStatus s = refresh(&lock); s != RegStatus::Ok) return s;
    if (refuseWrites_) return RegStatus::IoError;
    RegKeyNode next = root_;
    bool changed = false;
    if (RegStatus s = change(next, changed); s != RegStatus::Ok || !changed) return s;
    auto written = replaceFileAtomically(folder_ / kFileName, formatRegText(next), err);
    if (!written) return ioError(err);
    adopt(std::move(written->fd), written->id, std::move(next));
    return RegStatus::Ok;
}

RegStatus Registry::read(const Path& path, const std::function<RegStatus(const RegKeyNode&)>& use) {
    std::lock_guard guard(mutex_);
    if (RegStatus s = refresh(nullptr); s != RegStatus::Ok) return s;
    const RegKeyNode* node = std::as_const(root_).find(path);
    return node ? use(*node) : RegStatus::NotFound;
}

RegStatus Registry::openKey(std::string_view key) {
    auto parts = splitKeyPath(key);
    if (!parts) return RegStatus::InvalidName;
    return read(*parts, [](const RegKeyNode&) { return RegStatus::Ok; });
}

RegStatus Registry::createKey(std::string_view key) {
    auto parts = splitKeyPath(key);
    if (!parts) return RegStatus::InvalidName;
    return modify([&](RegKeyNode& root, bool& changed) {
        changed = root.find(*parts) == nullptr;
        root.findOrAdd(*parts);
        return RegStatus::Ok;
    });
}

RegStatus Registry::deleteKey(std::string_view key) {
    auto parts = splitKeyPath(key);
    if (!parts || parts->empty()) return RegStatus::InvalidName;
    return modify([&](RegKeyNode& root, bool& changed) {
        RegKeyNode* parent = root.find(std::span(*parts).first(parts->size() - 1));
        changed = parent && parent->removeChild(parts->back());
        return changed ? RegStatus::Ok : RegStatus::NotFound;
    });
}

RegStatus Registry::queryValue(std::string_view key, std::string_view name, RegValue& out) {
    auto parts = splitKeyPath(key);
    if (!parts || !isValidValueName(name)) return RegStatus::InvalidName;
    return read(*parts, [&](const RegKeyNode& node) {
        const RegValue* v = node.value(name);
        if (!v) return RegStatus::NotFound;
        out = *v;
        return RegStatus::Ok;
    });
}

RegStatus Registry::setValue(std::string_view key, std::string_view name, const RegValue& value) {
    auto parts = splitKeyPath(key);
    if (!parts || !isValidValueName(name)) return RegStatus::InvalidName;
    return modify([&](RegKeyNode& root, bool& changed) {
        RegKeyNode* node = root.find(*parts);
        changed = !node;
        if (!node) node = &root.findOrAdd(*parts);
        changed = node->setValue(name, value) || changed;
        return RegStatus::Ok;
    });
}

RegStatus Registry::deleteValue(std::string_view key, std::string_view name) {
    auto parts = splitKeyPath(key);
    if (!parts || !isValidValueName(name)) return RegStatus::InvalidName;
    return modify([&](RegKeyNode& root, bool& changed) {
        RegKeyNode* node = root.find(*parts);
        changed = node && node->removeValue(name);
        return changed ? RegStatus::Ok : RegStatus::NotFound;
    });
}

RegStatus Registry::enumKeys(std::string_view key, std::vector<std::string>& names) {
    auto parts = splitKeyPath(key);
    if (!parts) return RegStatus::InvalidName;
    return read(*parts, [&](const RegKeyNode& node) {
        names.clear();
        for (const RegKeyNode& child : node.children()) names.push_back(child.name());
        return RegStatus::Ok;
    });
}

RegStatus Registry::enumValues(std::string_view key, std::vector<RegNamedValue>& values) {
    auto parts = splitKeyPath(key);
    if (!parts) return RegStatus::InvalidName;
    return read(*parts, [&](const RegKeyNode& node) {
        values = node.values();
        return RegStatus::Ok;
    });
}

}  // namespace plat
