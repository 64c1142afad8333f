#include "conn_queue.h"

#include <sys/socket.h>

namespace arraysim {

namespace {

thread_local ConnContext* tl_conn = nullptr;
thread_local ConnQueue* tl_queue = nullptr;

}  // namespace

ConnQueue::ConnQueue(size_t workers, size_t max_waiting) : max_waiting_(max_waiting) {
  for (size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { work(&jobs_); });
  threads_.emplace_back([this] { work(&rejects_); });
}

ConnQueue::~ConnQueue() { shutdown(); }

void ConnQueue::enqueue(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lk(mu_);
    bool over = jobs_.size() >= max_waiting_;
    (over ? rejects_ : jobs_).push_back({std::move(fn), over});
  }
  cv_.notify_all();
}

void ConnQueue::shutdown() {
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (stopping_ && threads_.empty()) return;
    stopping_ = true;
    for (auto& [task, ctx] : active_) {
      if (ctx->fd >= 0) ::shutdown(ctx->fd, SHUT_RDWR);
    }
  }
  cv_.notify_all();
  for (auto& t : threads_) t.join();
  threads_.clear();
}

void ConnQueue::work(std::deque<Job>* jobs) {
  tl_queue = this;
  for (;;) {
    Job job;
    ConnContext ctx;
    {
      std::unique_lock<std::mutex> lk(mu_);
      cv_.wait(lk, [&] { return stopping_ || !jobs->empty(); });
      if (jobs->empty()) return;  // stopping, nothing left
      job = std::move(jobs->front());
      jobs->pop_front();
      ctx.task = ++next_task_;
      ctx.rejected = job.rejected;
      active_[ctx.task] = &ctx;
    }
    tl_conn = &ctx;
    job.fn();
    tl_conn = nullptr;
    std::lock_guard<std::mutex> lk(mu_);
    active_.erase(ctx.task);
  }
}

ConnContext* ConnQueue::current() { return tl_conn; }

void ConnQueue::watchHandshakes(SSL_CTX* ctx) { SSL_CTX_set_info_callback(ctx, &ConnQueue::onInfo); }

void ConnQueue::onInfo(const SSL* ssl, int where, int) {
  if (!(where & SSL_CB_HANDSHAKE_START) || !tl_conn || !tl_queue) return;
  std::lock_guard<std::mutex> lk(tl_queue->mu_);
  tl_conn->fd = SSL_get_fd(ssl);
  // Over the bound, or stopping: the connection ends before its handshake.
  if ((tl_queue->stopping_ || tl_conn->rejected) && tl_conn->fd >= 0) {
    ::shutdown(tl_conn->fd, SHUT_RDWR);
  }
}

}  // namespace arraysim
