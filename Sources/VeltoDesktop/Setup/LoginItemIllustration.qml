import QtQuick
import Velto.Views

// A login window, then the desktop after login with Velto's item in the menu bar and its menu
// connected: the login window on every fourth tick of 1.6 s, only the desktop with reduced motion.
Item {
    id: picture
    required property var clock
    /// The first enrollment as the flow gives it.
    property var enrollment: ({})
    readonly property bool showsLoginWindow: setupScenes.showsLoginWindow(timeline.time, clock.reduceMotion)

    Accessible.ignored: true

    TickTimeline {
        id: timeline
        clock: picture.clock
        period: 1.6
    }

    // Each scene stands still while it scales and fades: drawn once, then moved as one picture.
    LoginWindowScene {
        anchors.fill: parent
        enrollment: picture.enrollment
        layer.enabled: true
        layer.smooth: true
        opacity: picture.showsLoginWindow ? 1 : 0
        scale: picture.showsLoginWindow ? 1 : 0.94
        visible: opacity > 0.01
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.loginSpring; duration: setupMotion.loginDuration }
        }
        Behavior on scale {
            NumberAnimation { easing: setupMotion.loginSpring; duration: setupMotion.loginDuration }
        }
    }
    LoggedInDesktop {
        anchors.fill: parent
        enrollment: picture.enrollment
        layer.enabled: true
        layer.smooth: true
        opacity: picture.showsLoginWindow ? 0 : 1
        scale: picture.showsLoginWindow ? 1.04 : 1
        visible: opacity > 0.01
        Behavior on opacity {
            NumberAnimation { easing: setupMotion.loginSpring; duration: setupMotion.loginDuration }
        }
        Behavior on scale {
            NumberAnimation { easing: setupMotion.loginSpring; duration: setupMotion.loginDuration }
        }
    }
}
