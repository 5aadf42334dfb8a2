// Turns a route of actions into the keys of each frame, timed as a person can press them, and
// plays key files through the real frame driver.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "board/Level.h"
#include "content/Keys.h"
#include "solve/Search.h"
#include "solve/State.h"

struct KeyTiming {
    int firstLead = 10; // frames before the first key, so the whole play may start early or late
    int stillWait = 6;  // a key on a still board comes this late: waiting there changes nothing
    int comboGap = comboGapFrames; // Space this far before the glide's middle, the pose after it
};

// What a step needs: whether the robot was broken up before it, and the pose requested at it.
constexpr int holdPose = -2; // keep the pose the robot holds: cancel any request pending

struct Plan {
    bool space = false;
    int req = -1;
};

inline std::vector<Plan> plansOf(const SearchResult& res) {
    std::vector<Plan> plans;
    for (size_t i = 0; i < res.actions.size(); ++i) {
        const int a = res.actions[i];
        Plan p;
        p.space = a == actSpace || isCombo(a);
        // Doing nothing keeps the request the search held, which a merged state may have
        // reached by another one: the key is chosen against the real board below. With a pose
        // held, nothing must happen, whichever of the poses that lay the robot alike it is.
        p.req = poseOf(a) >= 0 ? poseOf(a) : a == actSpace ? -1 : stateRequest(res.from[i]);
        if (a == actNone && stateCurrent(res.from[i]) >= 0 &&
            stateCurrent(res.from[i]) == stateRequest(res.from[i]))
            p.req = holdPose;
        plans.push_back(p);
    }
    return plans;
}

struct Route {
    std::vector<int> keys;          // one per frame
    std::vector<std::string> steps; // the keys of each step, by name
    std::vector<size_t> stepEnds;   // per step, the frame after its keys and its step
    int combos = 0;
    bool ok = true;
};

inline std::string keyName(int key) {
    return key == spaceKey ? "Space" : key >= 0 && key < 9 ? std::string(1, poseLetters[key]) : "-";
}

// Whether a frame without keys leaves a settled board as it is.
template <int W, int H> bool stillAsItIs(const Level<W, H>& lv) {
    Level<W, H> probe = lv;
    runBoard(nullptr, probe, noKey, 0, 0);
    return probe.isSettled() && probe.state() == lv.state();
}

// Lays each step's keys in the glide before it, in the middle, as a person can press them.
template <int W, int H>
Route routeKeys(const Level<W, H>& fresh, const std::vector<Plan>& plans, KeyTiming timing = {}) {
    Level<W, H> lv = fresh;
    Route route;
    for (size_t k = 0; k < plans.size(); ++k) {
        std::vector<int> press;
        int req = plans[k].req;
        if (req == holdPose) req = lv.currentPose;
        // The search takes poses that lay the robot alike as one: asking for the very pose
        // the robot holds would do nothing, so ask for another alike, which re-lays it.
        if (req >= 0 && plans[k].req != holdPose && !plans[k].space && req == lv.currentPose)
            for (int q = 0; q < 9; ++q)
                if (q != req && sameShape(lv.poses[q], lv.poses[req], lv.group.size())) {
                    req = q;
                    break;
                }
        if (plans[k].space) press.push_back(spaceKey);
        if (req >= 0 && (plans[k].space || lv.requestedPose != req)) press.push_back(req);
        if (!plans[k].space && req < 0 && lv.requestedPose >= 0) route.ok = false;

        Level<W, H> probe = lv;
        int glide = 0;
        while (!probe.isSettled()) {
            probe.animate();
            ++glide;
        }
        std::vector<int> window;
        if (glide == 0) {
            if (press.size() > 1) route.ok = false; // two keys need a moving frame between them
            // Waiting is only harmless where a keyless step changes nothing: on a map whose
            // loose blocks fall or ride from the start, the first key cannot come late.
            if (!press.empty() && stillAsItIs(lv))
                window.assign(static_cast<size_t>(k == 0 ? timing.firstLead : timing.stillWait),
                              noKey);
            window.push_back(press.empty() ? noKey : press[0]);
        } else {
            window.assign(static_cast<size_t>(glide) + 1, noKey);
            const int mid = (glide + 1) / 2;
            // A glide too short for the usual gap takes a narrower one, Space still first.
            const int gap = std::min({timing.comboGap, mid, glide - mid});
            if (press.size() == 2 && gap < 1) {
                route.ok = false;
            } else if (press.size() == 2) {
                window[static_cast<size_t>(mid - gap)] = press[0];
                window[static_cast<size_t>(mid + gap)] = press[1];
            } else if (press.size() == 1) {
                window[static_cast<size_t>(mid)] = press[0];
            }
        }
        std::string name = press.empty() ? "-" : keyName(press[0]);
        if (press.size() == 2) {
            name += std::string("+") + keyName(press[1]);
            ++route.combos;
        }
        route.steps.push_back(name);
        for (int key : window) runBoard(nullptr, lv, key, 0, 0);
        route.keys.insert(route.keys.end(), window.begin(), window.end());
        route.stepEnds.push_back(route.keys.size());
    }
    return route;
}

// Plays keys frame by frame from a fresh board; gives the frame on which the goal was first
// reached, or -1.
template <int W, int H> int playKeys(const Level<W, H>& fresh, const std::vector<int>& keys) {
    Level<W, H> lv = fresh;
    for (size_t f = 0; f < keys.size(); ++f)
        if (runBoard(nullptr, lv, keys[f], 0, 0)) return static_cast<int>(f);
    return -1;
}
