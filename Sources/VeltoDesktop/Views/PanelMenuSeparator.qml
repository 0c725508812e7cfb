import QtQuick
import QtQuick.Templates as T

// One hairline between a menu's groups, with room above and below it.
T.MenuSeparator {
    implicitWidth: 240
    implicitHeight: topPadding + bottomPadding + 1
    topPadding: 4
    bottomPadding: 4
    contentItem: Rectangle {
        implicitHeight: 1
        color: theme.hairline
    }
}
