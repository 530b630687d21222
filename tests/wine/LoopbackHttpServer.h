#pragma once
// A small HTTP server on 127.0.0.1 for tests: every request is answered with the same raw response.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <string>
#include <thread>

namespace movalent::test {

class LoopbackHttpServer {
public:
    // delayMs: how long each answer waits after the request arrived.
    explicit LoopbackHttpServer(std::string rawResponse, DWORD delayMs = 0)
        : response_(std::move(rawResponse)), delayMs_(delayMs) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        int size = sizeof(address);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackHttpServer() {
        stopping_ = true;
        ::closesocket(listener_);
        thread_.join();
        ::WSACleanup();
    }

    static std::string Ok(const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body;
    }
    static std::string NotFound() {
        std::string body = "<html><body><h1>404 Not Found</h1></body></html>";
        return "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

    std::wstring BaseAddress() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
    int Requests() const { return requests_; }

    // A loopback port that nothing listens on, so connecting to it is refused.
    static unsigned short ClosedPort() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        int size = sizeof(address);
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
        ::closesocket(s);
        ::WSACleanup();
        return ntohs(address.sin_port);
    }

private:
    void Serve() {
        while (!stopping_) {
            SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            ++requests_;
            std::string request;
            char chunk[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                int got = ::recv(client, chunk, sizeof(chunk), 0);
                if (got <= 0)
                    break;
                request.append(chunk, static_cast<size_t>(got));
            }
            ::Sleep(delayMs_);
            size_t sent = 0;
            while (sent < response_.size()) {
                int put = ::send(client, response_.data() + sent, static_cast<int>(response_.size() - sent), 0);
                if (put <= 0)
                    break;
                sent += static_cast<size_t>(put);
            }
            ::shutdown(client, SD_SEND);
            ::closesocket(client);
        }
    }

    std::string response_;
    DWORD delayMs_ = 0;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

} // namespace movalent::test
