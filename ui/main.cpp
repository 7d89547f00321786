// The viewer's entry. Placeholder until the main window lands.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

int main(int argc, char** argv)
{
    Fl_Window window(300, 180, "Tallisk, ZARPO-G2");
    window.show(argc, argv);
    return Fl::run();
}
