// Directory and file calls over POSIX descriptors. A HANDLE is the descriptor plus one, so
// that 0 and INVALID_HANDLE_VALUE never name a file.
//
// Differs from Windows: share modes are enforced only between openers that use this layer
// (an open for writing without FILE_SHARE_WRITE takes an open-file-description write lock,
// so a second writer in this or another process gets ERROR_SHARING_VIOLATION, while plain
// readers such as tail -f still read). Security attributes, templates and file flags are
// ignored; new files get mode 0666 less the umask. Names are UTF-8 on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/platform.h"
#include "text/utf.h"

namespace {
constexpr int kPathBytes = 4096;

DWORD codeOf(int error, DWORD notFound) {
    switch (error) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return notFound;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        default:
            return ERROR_WRITE_FAULT;
    }
}

bool toPath(LPCWSTR name, char* path) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (quillpen::utf16ToUtf8(name, path, kPathBytes) < 0) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return true;
}

int fdOf(HANDLE handle) {
    intptr_t value = reinterpret_cast<intptr_t>(handle);
    return value > 0 ? static_cast<int>(value - 1) : -1;
}

bool lockForWriting(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// The position `distance` from the origin `method` names, found without moving; -1 after
// setting the last error.
int64_t targetOf(int fd, int64_t distance, DWORD method) {
    off_t origin = 0;
    struct stat info;
    if (method == FILE_CURRENT) {
        origin = lseek(fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        origin = fstat(fd, &info) == 0 ? info.st_size : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (origin < 0) {
        SetLastError(codeOf(errno, ERROR_INVALID_HANDLE));
        return -1;
    }
    if (distance < -origin) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return -1;
    }
    if (distance > INT64_MAX - origin) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return origin + distance;
}

bool moveTo(int fd, int64_t position) {
    if (lseek(fd, position, SEEK_SET) >= 0) return true;
    SetLastError(codeOf(errno, ERROR_INVALID_HANDLE));
    return false;
}
}  // namespace

extern "C" {

BOOL CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES) {
    char path[kPathBytes];
    if (!toPath(name, path)) return FALSE;
    if (mkdir(path, 0777) == 0) return TRUE;
    SetLastError(codeOf(errno, ERROR_PATH_NOT_FOUND));
    return FALSE;
}

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
    char path[kPathBytes];
    if (!toPath(name, path)) return INVALID_HANDLE_VALUE;
    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags |= O_RDWR;
    else if (access & GENERIC_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    switch (disposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case OPEN_EXISTING:
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    int fd = open(path, flags, 0666);
    if (fd < 0) {
        int error = errno;
        bool creating = (flags & O_CREAT) != 0;
        DWORD code = codeOf(error, creating ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        SetLastError(error == EEXIST ? ERROR_FILE_EXISTS : code);
        return INVALID_HANDLE_VALUE;
    }
    if ((access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE) && !lockForWriting(fd)) {
        close(fd);
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    // With a high part the distance is its 64 bits; without one, a signed 32-bit distance,
    // and a new position past 32 bits is refused without moving, as Windows refuses it.
    const int64_t move = distanceHigh ? static_cast<int64_t>(*distanceHigh) * 0x100000000 +
                                            static_cast<DWORD>(distance)
                                      : distance;
    const int fd = fdOf(file);
    const int64_t target = targetOf(fd, move, method);
    if (target < 0) return INVALID_SET_FILE_POINTER;
    if (!distanceHigh && target > 0xFFFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (!moveTo(fd, target)) return INVALID_SET_FILE_POINTER;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(target >> 32);
    // A position whose low part reads as the failure value: the last error tells them apart.
    if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition,
                      DWORD method) {
    const int fd = fdOf(file);
    const int64_t target = targetOf(fd, distance.QuadPart, method);
    if (target < 0 || !moveTo(fd, target)) return FALSE;
    if (newPosition) newPosition->QuadPart = target;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, LPOVERLAPPED) {
    const char* data = static_cast<const char*>(bytes);
    DWORD done = 0;
    while (done < count) {
        ssize_t n = write(fdOf(file), data + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (written) *written = done;
            SetLastError(n < 0 ? codeOf(errno, ERROR_INVALID_HANDLE) : ERROR_DISK_FULL);
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) *written = done;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    if (close(fdOf(handle)) == 0) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

}  // extern "C"
