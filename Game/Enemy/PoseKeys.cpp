// Key pose tables of the zombie states (degrees: pitch, yaw, roll).
#include "Game/Enemy/PoseKeys.h"

namespace PoseKeys {

namespace {
constexpr PoseKeyAngles kZero{0.0f, 0.0f, 0.0f};
constexpr PoseKeyRow kRest{kZero, kZero};
}  // namespace

const PoseKeyTable kDrop = {
    {{10.0f, 10.0f, 0.0f}, {-10.0f, -10.0f, 0.0f}},  // head
    kRest,                                           // body
    {{-50.0f, 80.0f, 0.0f}, {0.0f, 80.0f, 0.0f}},    // right arm
    {{-50.0f, -80.0f, 0.0f}, kZero},                 // left arm
    kRest,                                           // right leg
    kRest,                                           // left leg
};

const PoseKeyTable kWalkAround = {
    {{0.0f, 60.0f, 0.0f}, {0.0f, -60.0f, 0.0f}},
    kRest,
    {{100.0f, 0.0f, 0.0f}, {40.0f, 0.0f, 0.0f}},
    {{40.0f, 0.0f, 0.0f}, {100.0f, 0.0f, 0.0f}},
    {{-15.0f, 0.0f, 0.0f}, {15.0f, 0.0f, 0.0f}},
    {{15.0f, 0.0f, 0.0f}, {-15.0f, 0.0f, 0.0f}},
};

const PoseKeyTable kTrack = {
    {{0.0f, 10.0f, 0.0f}, {0.0f, -10.0f, 0.0f}},
    kRest,
    {{20.0f, 0.0f, 0.0f}, {-20.0f, 0.0f, 0.0f}},
    {{-20.0f, 0.0f, 0.0f}, {20.0f, 0.0f, 0.0f}},
    {{-15.0f, 0.0f, 0.0f}, {15.0f, 0.0f, 0.0f}},
    {{15.0f, 0.0f, 0.0f}, {-15.0f, 0.0f, 0.0f}},
};

const PoseKeyTable kAttackNormal = {
    {{-20.0f, 10.0f, 0.0f}, {20.0f, -10.0f, 0.0f}},
    kRest,
    {{-60.0f, 50.0f, 30.0f}, {60.0f, -30.0f, 30.0f}},
    {{-60.0f, -50.0f, -30.0f}, {60.0f, 30.0f, -30.0f}},
    kRest,
    kRest,
};

const PoseKeyTable kAttackStrong = {
    {{-20.0f, 0.0f, 0.0f}, {20.0f, 0.0f, 0.0f}},
    kRest,
    {{-60.0f, 50.0f, 30.0f}, {60.0f, -30.0f, 30.0f}},
    {{-60.0f, -50.0f, -30.0f}, {60.0f, 30.0f, -30.0f}},
    kRest,
    kRest,
};

const PoseKeyTable kDead = {
    {{10.0f, 10.0f, 0.0f}, {-10.0f, -10.0f, 0.0f}},
    kRest,
    {kZero, {-50.0f, 80.0f, 0.0f}},
    {kZero, {-50.0f, -80.0f, 0.0f}},
    kRest,
    kRest,
};

}  // namespace PoseKeys
