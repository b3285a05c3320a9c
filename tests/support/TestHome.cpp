// Every test program runs in a home of its own, made before main and removed after it: what a
// test or the programs it starts write under the home folders (journal, settings, caches)
// never reaches the user's, and no setting of the user's environment (a shared journal, a
// database password or service) reaches a test.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

class TestHome {
public:
    TestHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trnsetup-test-home.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("trnsetup tests: cannot make a home folder");
            std::abort();
        }
        home_ = pattern;
        const std::filesystem::path home(home_);
        set("HOME", home);
        set("XDG_DATA_HOME", home / ".local/share");
        set("XDG_CONFIG_HOME", home / ".config");
        set("XDG_CACHE_HOME", home / ".cache");
        set("XDG_STATE_HOME", home / ".local/state");
        // libpq reads every PG... variable (a password, a service, a host); the program's own
        // variables name a shared journal.
        std::vector<std::string> unset{"TRNSETUP_HISTORY", "TRNSETUP_HISTORY_TIMEOUT"};
        for (char** e = environ; *e != nullptr; ++e)
            if (std::string_view(*e).starts_with("PG"))
                unset.emplace_back(std::string_view(*e).substr(0, std::string_view(*e).find('=')));
        for (const std::string& name : unset) ::unsetenv(name.c_str());
    }
    ~TestHome() {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

private:
    static void set(const char* name, const std::filesystem::path& path) {
        std::filesystem::create_directories(path);
        ::setenv(name, path.c_str(), 1);
    }

    std::string home_;
};

const TestHome home;

}  // namespace
