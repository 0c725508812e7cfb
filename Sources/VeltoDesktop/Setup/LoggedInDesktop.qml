import QtQuick
import Velto.Views

// The desktop after login: a miniature menu bar and, hanging under Velto's item, its menu.
Item {
    id: desktop
    property var enrollment: ({})

    Column {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 10

        MenuBarStrip {
            width: parent.width
        }
        Item {
            width: parent.width
            height: menu.height
            LoginMenuPreview {
                id: menu
                anchors.right: parent.right
                anchors.rightMargin: 24
                enrollment: desktop.enrollment
            }
        }
    }
}
