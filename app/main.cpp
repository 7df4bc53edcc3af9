#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("korvel");
    QMessageBox box(QMessageBox::NoIcon, "korvel", QString::fromUtf8("Окно ввода появится в следующей версии."),
                    QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? 0 : 0;
}
