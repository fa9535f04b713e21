// One state of a zombie's behaviour. Once a frame the zombie runs a step of
// its state; the step returns null to stay, or a new state (for the same
// zombie kind) that replaces it. Each concrete state has one constructor per
// zombie kind, which performs the state's entry.
#pragma once

#include <memory>

class Enemy_Normal;
class Enemy_Strong;

class State {
public:
    virtual ~State() = default;
    virtual std::unique_ptr<State> Run(Enemy_Normal& enemy) = 0;
    virtual std::unique_ptr<State> Run(Enemy_Strong& enemy) = 0;
};
