#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The main window is not built yet; say so rather than show an empty frame.
    QMessageBox::information(nullptr, "Vexlor",
                             "Vexlor remote: the main window is not built yet.\n"
                             "The device link, description and skin engine come first.");
    return 0;
}
