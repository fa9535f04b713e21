// One state of a zombie's behaviour. Once a frame the zombie runs a step of
// its state; the step returns null to stay, or a new state that replaces
// it. Each concrete state's constructor performs the state's entry.
#pragma once

#include <memory>

class Zombie;

class State {
public:
    virtual ~State() = default;
    virtual std::unique_ptr<State> Run(Zombie& zombie) = 0;
};
