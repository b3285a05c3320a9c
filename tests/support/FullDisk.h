#pragma once
// A directory on which writes fail for lack of space, as on a full disk, or for lack of inodes,
// or that is mounted read-only. Where the test may mount (it runs as root, which permission bits
// do not stop), a small tmpfs is mounted; elsewhere a file-size limit of 0 (RLIMIT_FSIZE) stands
// in, for this process while filled and for child processes started through applyTo().
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

class FullDisk {
public:
    // FewInodes: fill() leaves room for bytes but not for one more file.
    enum class Mount { Writable, ReadOnly, FewInodes };
    explicit FullDisk(Mount how = Mount::Writable) : how_(how) {
        mounted_ = dir_.isValid() &&
                   ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                           how == Mount::ReadOnly ? MS_RDONLY : 0,
                           how == Mount::FewInodes ? "size=64k,nr_inodes=16" : "size=64k") == 0;
        if (!mounted_ && how == Mount::ReadOnly)
            fill();
    }
    ~FullDisk() {
        unlimit();
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool valid() const { return dir_.isValid(); }
    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // From now on no more bytes (or, with FewInodes, no more files) fit; what was written
    // before stays.
    void fill() {
        if (mounted_ && how_ == Mount::FewInodes) {
            for (int i = 0;; ++i) {
                const QByteArray name =
                    QFile::encodeName(dir_.filePath(QStringLiteral(".inode%1").arg(i)));
                const int fd =
                    ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                if (fd < 0)
                    return;
                ::close(fd);
            }
        }
        if (mounted_) {
            QFile filler(dir_.filePath(QStringLiteral(".filler")));
            if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return;
            const QByteArray block(512, 'x');
            while (filler.write(block) == block.size()) {
            }
            return;
        }
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit none = saved_;
        none.rlim_cur = 0;
        limited_ = ::setrlimit(RLIMIT_FSIZE, &none) == 0;
    }
    // From now on the directory cannot be changed; what it holds stays readable. Without a
    // mount a full disk stands in.
    void makeReadOnly() {
        if (!mounted_ || ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs",
                                 MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
            fill();
    }
    void unlimit() {
        if (limited_)
            ::setrlimit(RLIMIT_FSIZE, &saved_);
        limited_ = false;
    }

    // A child process started after this meets the same full disk.
    void applyTo(QProcess& process) const {
        if (mounted_)
            return;
        process.setChildProcessModifier([] {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit none{};
            ::getrlimit(RLIMIT_FSIZE, &none);
            none.rlim_cur = 0;
            ::setrlimit(RLIMIT_FSIZE, &none);
        });
    }

private:
    QTemporaryDir dir_;
    Mount how_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit saved_{};
};
