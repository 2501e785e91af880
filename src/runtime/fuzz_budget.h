// The fuzz build converts many pictures in one process and wants each done
// within a second, while some work grows with what a picture declares, not
// with the bytes it holds. A budget counts such work for one picture and
// gives the picture up once it passes its limit.
#ifndef PICTTOTOV_RUNTIME_FUZZ_BUDGET_H
#define PICTTOTOV_RUNTIME_FUZZ_BUDGET_H

#ifdef PICTTOTOV_FUZZ_BUILD

#include <cstdint>

#include "runtime/vok.h"

class FuzzBudget {
 public:
  explicit constexpr FuzzBudget(int64_t limit) : limit_(limit) {}

  // Counts `work`; past the limit the conversion ends with
  // kVokGaveUpStatus.
  void Charge(int64_t work) {
    spent_ += work;
    if (spent_ > limit_) throw VokProcessEnd{kVokGaveUpStatus};
  }

 private:
  int64_t limit_;
  int64_t spent_ = 0;
};

#endif  // PICTTOTOV_FUZZ_BUILD

#endif  // PICTTOTOV_RUNTIME_FUZZ_BUDGET_H
