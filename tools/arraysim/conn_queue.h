// The worker pool behind one array's HTTPS server, and how TLS connections
// are counted.
//
// cpp-httplib hands every accepted socket to its task queue as one task that
// performs the TLS handshake and then serves every kept-alive request of the
// connection on the same thread. So one task is one TLS connection: the
// queue gives each task a context, reachable through a thread-local pointer
// while the task runs, and request handlers read the connection number from
// it. The socket of the connection is learnt from the TLS handshake (an
// SSL_CTX info callback); at shutdown it is shut down so that idle
// kept-alive connections end at once instead of at their idle time-out.
#ifndef ARRAYSIM_CONN_QUEUE_H_
#define ARRAYSIM_CONN_QUEUE_H_

#include <httplib.h>
#include <openssl/ssl.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace arraysim {

struct ConnContext {
  uint64_t task = 0;      // per queue, in accept order
  int fd = -1;            // known once the handshake started
  bool rejected = false;  // over the bound: closed at the handshake
  uint64_t number = 0;    // REST connection number, 0 until the first REST request
};

class ConnQueue : public httplib::TaskQueue {
 public:
  // `workers` connections are served at once; up to `max_waiting` more wait
  // for a worker; beyond that a connection is closed at its TLS handshake
  // by one extra thread.
  ConnQueue(size_t workers, size_t max_waiting);
  ~ConnQueue() override;

  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

  // The context of the connection served by the calling thread, or null.
  static ConnContext* current();

  // Install on the server's SSL_CTX to learn each connection's socket.
  static void watchHandshakes(SSL_CTX* ctx);

 private:
  struct Job {
    std::function<void()> fn;
    bool rejected;
  };
  void work(std::deque<Job>* jobs);
  static void onInfo(const SSL* ssl, int where, int ret);

  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<Job> jobs_;
  std::deque<Job> rejects_;
  std::map<uint64_t, ConnContext*> active_;
  std::vector<std::thread> threads_;
  size_t max_waiting_;
  uint64_t next_task_ = 0;
  bool stopping_ = false;
};

}  // namespace arraysim

#endif  // ARRAYSIM_CONN_QUEUE_H_
