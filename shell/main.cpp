#include "shell/kestrune_app.h"

int main(int argc, char** argv) {
    return CMyKestruneApp().Run(argc, argv);
}
