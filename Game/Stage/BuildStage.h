// Builds the laboratory into the game world's stage: the four map pieces and
// every placed object at its fixed position, floor by floor.
#pragma once

class Stage;

// Needs the stage's game world with its player, enemy list and effect list.
void BuildStage(Stage* stage);
