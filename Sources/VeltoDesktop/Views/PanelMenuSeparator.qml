import QtQuick
import QtQuick.Templates as T

T.MenuSeparator {
    implicitWidth: 240
    implicitHeight: 9
    contentItem: Rectangle {
        implicitHeight: 1
        color: theme.hairline
    }
}
