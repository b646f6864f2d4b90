// The memos a PC shows, as its windows take a merge's plan: the model and the
// fuzz target of two PCs use it in place of the resident window.
#pragma once
#include <vector>
#include "store/MemoSync.h"

inline void takePlan(std::vector<StoredMemo>& shown, const MemoSync::Plan& plan) {
    std::vector<StoredMemo> next;
    for (size_t o = 0; o < shown.size(); ++o) {
        if (!plan.renew[o]) next.push_back(shown[o]);
        else if (plan.place[o] >= 0) next.push_back(plan.memos[plan.place[o]]);
    }
    for (size_t at : plan.added) next.push_back(plan.memos[at]);
    shown.swap(next);
}
