// Process entry: no options, no configuration; the game reads Data/ under
// the working directory.
#include <clocale>

#include "Application/App.h"

int main(int, char**) {
    std::setlocale(LC_ALL, "");
    return App::GetInstance().Run();
}
