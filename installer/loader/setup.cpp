// setup: the loader the user starts. It unpacks setup.1, which lies beside it, into a working
// folder, starts the installer from there with the distribution's folder and any arguments
// given to it, waits for it and removes the working folder, unless the installer waits for a
// restart to finish and will run again from there. Its exit status is the installer's.
#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kInstaller = "brevand";
constexpr int kRestartPending = 4; // the installer's status when it runs again after a restart

volatile pid_t installer = 0;

// A request to end the loader ends the installer; the loader then removes its working folder.
extern "C" void forward(int signal)
{
    if (installer > 0)
        kill(installer, signal);
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "setup: %s\n", message.c_str());
    return 1;
}

// Unpacks the archive's regular files into folder. Only plain names are taken: no folders, no
// "..", no links.
bool unpack(const fs::path& archivePath, const fs::path& folder, std::string& error)
{
    archive* in = archive_read_new();
    archive_read_support_format_tar(in);
    archive_read_support_filter_gzip(in);
    archive* out = archive_write_disk_new();
    archive_write_disk_set_options(out, ARCHIVE_EXTRACT_PERM | ARCHIVE_EXTRACT_TIME |
                                            ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                            ARCHIVE_EXTRACT_SECURE_SYMLINKS);
    bool ok = archive_read_open_filename(in, archivePath.c_str(), 1 << 16) == ARCHIVE_OK;
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while (ok && (status = archive_read_next_header(in, &entry)) == ARCHIVE_OK) {
        const std::string name = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
        if (archive_entry_filetype(entry) != AE_IFREG || name.empty() || name == "." ||
            name == ".." || name.find('/') != std::string::npos) {
            error = "setup.1 holds something that is not a plain file";
            ok = false;
            break;
        }
        const fs::path target = folder / name;
        archive_entry_set_pathname(entry, target.c_str());
        ok = archive_write_header(out, entry) == ARCHIVE_OK;
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r = ARCHIVE_OK;
        while (ok && (r = archive_read_data_block(in, &block, &size, &offset)) == ARCHIVE_OK)
            ok = archive_write_data_block(out, block, size, offset) == ARCHIVE_OK;
        ok = ok && r == ARCHIVE_EOF && archive_write_finish_entry(out) == ARCHIVE_OK;
    }
    if (ok && status != ARCHIVE_EOF)
        ok = false;
    if (!ok && error.empty()) {
        const char* why =
            archive_error_string(in) ? archive_error_string(in) : archive_error_string(out);
        error = std::string("setup.1 cannot be unpacked") + (why ? std::string(": ") + why : "");
    }
    archive_read_free(in);
    archive_write_free(out);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fail("cannot find its own folder: " + ec.message());
    const fs::path distribution = self.parent_path();
    const fs::path packed = distribution / "setup.1";
    if (!fs::is_regular_file(packed))
        return fail(packed.string() + " is missing");

    std::string pattern = (fs::temp_directory_path(ec) / "brevand-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data()))
        return fail("cannot create a working folder: " + std::string(std::strerror(errno)));
    const fs::path work = pattern;
    std::string error;
    if (!unpack(packed, work, error)) {
        fs::remove_all(work, ec);
        return fail(error);
    }

    const std::string program = (work / kInstaller).string();
    std::vector<std::string> words{program, "--distribution", distribution.string(), "--work",
                                   work.string()};
    for (int i = 1; i < argc; ++i)
        words.emplace_back(argv[i]);
    std::vector<char*> arguments;
    for (std::string& w : words)
        arguments.push_back(w.data());
    arguments.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        fs::remove_all(work, ec);
        return fail(std::string("cannot start the installer: ") + std::strerror(errno));
    }
    if (child == 0) {
        execv(program.c_str(), arguments.data());
        std::fprintf(stderr, "setup: cannot start the installer: %s\n", std::strerror(errno));
        _exit(127);
    }
    // An interrupt at the terminal reaches the installer too, which cancels its run cleanly; the
    // loader stays to remove its working folder.
    installer = child;
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    std::signal(SIGTERM, forward);
    std::signal(SIGHUP, forward);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (code != kRestartPending)
        fs::remove_all(work, ec);
    return code;
}
