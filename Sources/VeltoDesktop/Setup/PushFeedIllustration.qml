import QtQuick
import Velto.Views

// A feed of pull-request events under an agent watching the pull request: every 2.2 s a new card
// springs in on top, the others move down and the oldest fades out. Drawing only.
Item {
    id: picture
    required property var clock
    readonly property var cards: setupScenes.feed(timeline.time)

    Accessible.ignored: true

    TickTimeline {
        id: timeline
        clock: picture.clock
        period: 2.2
    }

    // The shown cards as a model, so that a tick inserts one on top and removes the last.
    ListModel { id: shown }
    function follow() {
        const newest = cards[0].sequence
        const next = shown.count > 0 ? shown.get(0).sequence + 1 : newest
        if (shown.count === 3 && newest === next) {
            shown.insert(0, cards[0])
            shown.remove(3)
            return
        }
        if (shown.count > 0 && newest === shown.get(0).sequence)
            return
        shown.clear()
        for (let index = 0; index < cards.length; ++index)
            shown.append(cards[index])
    }
    onCardsChanged: follow()
    Component.onCompleted: follow()

    Column {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 14

        GlassSurface {
            width: parent.width
            height: 38
            cornerRadius: 12
            isOverWindow: true
            HarnessLogo {
                x: 12
                anchors.verticalCenter: parent.verticalCenter
                kind: "claude-code"
            }
            PlainText {
                x: 36
                anchors.verticalCenter: parent.verticalCenter
                text: userTexts.watchingPullRequest
                font.family: "monospace"
                font.pixelSize: 12
                color: theme.secondary
            }
            Rectangle {
                anchors.right: parent.right
                anchors.rightMargin: 12
                anchors.verticalCenter: parent.verticalCenter
                width: 7
                height: 7
                radius: 3.5
                color: theme.green
            }
        }

        ListView {
            width: parent.width
            height: parent.height - 38 - 14
            spacing: 8
            interactive: false
            model: shown
            clip: false
            delegate: PushEventCard {
                width: ListView.view.width
            }
            add: Transition {
                NumberAnimation { property: "opacity"; from: 0; to: 1; easing: setupMotion.feedSpring; duration: setupMotion.feedDuration }
                NumberAnimation { property: "scale"; from: 0.9; to: 1; easing: setupMotion.feedSpring; duration: setupMotion.feedDuration }
                NumberAnimation { property: "y"; from: -56; easing: setupMotion.feedSpring; duration: setupMotion.feedDuration }
            }
            displaced: Transition {
                NumberAnimation { property: "y"; easing: setupMotion.feedSpring; duration: setupMotion.feedDuration }
                NumberAnimation { properties: "opacity,scale"; to: 1; duration: 0 }
            }
            remove: Transition {
                NumberAnimation { property: "opacity"; to: 0; easing: setupMotion.feedSpring; duration: setupMotion.feedDuration }
            }
        }
    }
}
