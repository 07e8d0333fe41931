/*
 * Mailslots as Unix datagram sockets, one socket file per mailslot name in
 * the user's runtime folder.  A message is one datagram; clients send
 * without waiting, so a full or missing server loses the message.
 */
#include "mailslots.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "handles.h"
#include "shield.h"
#include "syscalls.h"

namespace qel::posix {
namespace {

constexpr char16_t kPrefix[] = u"\\mailslot\\";

// Where the name's socket lives, its folders made; empty when too long.
std::string socketPath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime == '/' ? std::string(runtime) + "/qelbase"
                                                  : "/tmp/qelbase-" + std::to_string(getuid());
  std::string path = folder + "/mailslot/" + name;
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    sys::mkdir(path.substr(0, slash).c_str(), 0700);
  return path.size() < sizeof(sockaddr_un::sun_path) ? path : std::string();
}

sockaddr_un addressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

// The server part and the mailslot name (folded to lower case, as names
// are compared without regard to case) of a mailslot path.
bool splitPath(LPCWSTR path, std::u16string& server, std::string& name) {
  std::u16string p(path);
  if (p.size() < 3 || p[0] != u'\\' || p[1] != u'\\') return false;
  size_t cut = p.find(u'\\', 2);
  if (cut == std::u16string::npos || p.size() - cut < std::size(kPrefix) - 1) return false;
  for (size_t i = 0; kPrefix[i]; ++i) {
    char16_t c = p[cut + i];
    if ((c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) != kPrefix[i]) return false;
  }
  server = p.substr(2, cut - 2);
  std::u16string rest = p.substr(cut + std::size(kPrefix) - 1);
  for (char16_t& c : rest)
    if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
  name = hostPath(rest.c_str());
  return !name.empty();
}

int datagramSocket() { return sys::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0); }

// Whether a server is bound to the socket file now.
bool serverListens(const sockaddr_un& address) {
  int fd = datagramSocket();
  bool listens =
      fd >= 0 && sys::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) sys::close(fd);
  return listens;
}

struct MailslotClient : KernelObject {
  MailslotClient(int descriptor, const sockaddr_un& to, bool toAll)
      : fd(descriptor), address(to), broadcast(toAll) {}
  ~MailslotClient() override { sys::close(fd); }

  BOOL write(const void* buffer, DWORD size, DWORD& done) override {
    ssize_t n = sys::sendto(fd, buffer, size, MSG_DONTWAIT | MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (n < 0 && !broadcast) {
      SetLastError(errno == ENOENT || errno == ECONNREFUSED ? ERROR_FILE_NOT_FOUND : errorOf(errno));
      return FALSE;
    }
    done = size;  // a broadcast is gone once sent, taken or not
    return TRUE;
  }

  int fd;
  sockaddr_un address;
  bool broadcast;
};

struct MailslotServer : KernelObject {
  MailslotServer(int descriptor, std::string file, DWORD wait)
      : fd(descriptor), path(std::move(file)), timeout(wait) {}
  ~MailslotServer() override {
    sys::close(fd);
    sys::unlink(path.c_str());
  }

  BOOL read(void* buffer, DWORD size, DWORD& done) override {
    pollfd p{fd, POLLIN, 0};
    int ready;
    do ready = poll(&p, 1, timeout == MAILSLOT_WAIT_FOREVER ? -1 : int(timeout));
    while (ready < 0 && errno == EINTR);
    if (ready == 0) {
      SetLastError(ERROR_SEM_TIMEOUT);
      return FALSE;
    }
    ssize_t waiting = sys::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC);
    if (waiting < 0) return failWithErrno();
    if (DWORD(waiting) > size) {  // the message stays for a larger buffer
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    ssize_t n = sys::recv(fd, buffer, size, 0);
    if (n < 0) return failWithErrno();
    done = DWORD(n);
    return TRUE;
  }

  int fd;
  std::string path;
  DWORD timeout;
};

HANDLE failed(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool isMailslotPath(LPCWSTR path) {
  std::u16string server;
  std::string name;
  return splitPath(path, server, name);
}

HANDLE openMailslotClient(LPCWSTR path) {
  std::u16string server;
  std::string name;
  splitPath(path, server, name);
  if (server != u"." && server != u"*") return failed(ERROR_BAD_NETPATH);  // no network here
  const std::string file = socketPath(name);
  if (file.empty()) return failed(ERROR_FILENAME_EXCED_RANGE);
  const sockaddr_un address = addressOf(file);
  if (server == u"." && !serverListens(address)) return failed(ERROR_FILE_NOT_FOUND);
  int fd = datagramSocket();
  if (fd < 0) return failed(errorOf(errno));
  return addHandle(std::make_shared<MailslotClient>(fd, address, server == u"*"));
}

}  // namespace qel::posix

using namespace qel::posix;

extern "C" HANDLE WINAPI CreateMailslotW(LPCWSTR lpName, DWORD, DWORD lReadTimeout, LPSECURITY_ATTRIBUTES) {
  return qel::posix::shielded(
      [&]() -> HANDLE {
        std::u16string server;
        std::string name;
        if (!lpName || !splitPath(lpName, server, name) || server != u".") return failed(ERROR_INVALID_NAME);
        const std::string file = socketPath(name);
        if (file.empty()) return failed(ERROR_FILENAME_EXCED_RANGE);
        const sockaddr_un address = addressOf(file);
        if (serverListens(address)) return failed(ERROR_ALREADY_EXISTS);
        sys::unlink(file.c_str());  // left behind by a server that did not close
        int fd = datagramSocket();
        if (fd < 0 || sys::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
          DWORD error = errorOf(errno);
          if (fd >= 0) sys::close(fd);
          return failed(error);
        }
        return addHandle(std::make_shared<MailslotServer>(fd, file, lReadTimeout));
      },
      INVALID_HANDLE_VALUE);
}
