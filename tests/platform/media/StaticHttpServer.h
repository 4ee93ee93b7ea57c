#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

// A listening socket on 127.0.0.1 at a port the system picks; the port is stored.
inline int ListenOnLoopback(int& port) {
  const int socketFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  listen(socketFd, 8);
  return socketFd;
}

// Serves one body on 127.0.0.1 to every request, then closes the connection; with
// no length header it looks like a live stream that ends.
class StaticHttpServer {
 public:
  // extraHeaders: lines ending in "\r\n" added to the response's header.
  StaticHttpServer(std::string type, std::vector<uint8_t> body, bool withLength, std::string extraHeaders = {})
      : type_(std::move(type)), body_(std::move(body)), withLength_(withLength), extra_(std::move(extraHeaders)) {
    listen_ = ListenOnLoopback(port_);
    if (pipe(stop_) != 0) stop_[0] = stop_[1] = -1;
    thread_ = std::thread([this] { Run(); });
  }
  ~StaticHttpServer() {
    [[maybe_unused]] ssize_t n = write(stop_[1], "x", 1);
    thread_.join();
    close(listen_);
    close(stop_[0]);
    close(stop_[1]);
  }
  std::string Url(const std::string& name) const { return "http://127.0.0.1:" + std::to_string(port_) + "/" + name; }

 private:
  void Run() {
    for (;;) {
      pollfd fds[2] = {{listen_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) return;
      const int client = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      char request[4096];
      [[maybe_unused]] ssize_t got = recv(client, request, sizeof request, 0);
      std::string header = "HTTP/1.0 200 OK\r\nContent-Type: " + type_ + "\r\n";
      if (withLength_) header += "Content-Length: " + std::to_string(body_.size()) + "\r\n";
      header += extra_ + "\r\n";
      std::vector<uint8_t> reply(header.begin(), header.end());
      reply.insert(reply.end(), body_.begin(), body_.end());
      for (size_t sent = 0; sent < reply.size();) {
        const ssize_t n = send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += size_t(n);
      }
      close(client);
    }
  }
  std::string type_;
  std::vector<uint8_t> body_;
  bool withLength_;
  std::string extra_;
  int listen_ = -1;
  int stop_[2] = {-1, -1};
  int port_ = 0;
  std::thread thread_;
};
