#!/usr/bin/python3
"""The flattening done the way a Python user would: xml.etree.ElementTree.iterparse.

    /usr/bin/python3 bench/peer_iterparse.py INPUT OUTPUT [DELIMITER]

Writes the same lines as quillmere-cli (CR LF after each, UTF-8) for documents without CDATA
sections, which ElementTree merges into the surrounding text. Streams: every element is dropped
from the tree once its events are handled, so memory stays small on large files.
"""
import sys
import xml.etree.ElementTree as ET

WHITESPACE = " \t\r\n"


class Frame:
    __slots__ = ("element", "name", "has_children", "last_child")

    def __init__(self, element, name, has_children):
        self.element = element
        self.name = name
        self.has_children = has_children
        self.last_child = None


def flatten(source, out, delimiter):
    lines = []
    path = ""
    stack = []

    def open_children(frame):
        # The path grows by an element's name only once the element turns out to have children.
        nonlocal path
        if not frame.has_children:
            frame.has_children = True
            path = path + delimiter + frame.name

    def text_before(frame):
        # ElementTree keeps the text before a node as the parent's text or the previous node's tail.
        text = frame.element.text if frame.last_child is None else frame.last_child.tail
        if text and text.strip(WHITESPACE):
            open_children(frame)
            lines.append(path + delimiter + text.replace("&#13;", "") + "\r\n")

    def leaf(frame, name, value):
        open_children(frame)
        lines.append(path + delimiter + name + delimiter + value + "\r\n")

    parser = ET.XMLParser(target=ET.TreeBuilder(insert_comments=True, insert_pis=True))
    for event, element in ET.iterparse(source, ("start", "end", "comment", "pi"), parser):
        if event == "start":
            if not stack:
                path = element.tag
                stack.append(Frame(element, element.tag, True))
                continue
            parent = stack[-1]
            text_before(parent)
            open_children(parent)
            parent.last_child = element
            stack.append(Frame(element, element.tag, False))
        elif event == "end":
            frame = stack.pop()
            text_before(frame)
            if not stack:
                break
            if frame.has_children:
                pieces = path.split(delimiter)
                if len(pieces) > 1:
                    path = delimiter.join(pieces[:-1])
            else:
                lines.append(path + delimiter + frame.name + delimiter + "\r\n")
            del stack[-1].element[:]
        elif stack:
            parent = stack[-1]
            text_before(parent)
            parent.last_child = element
            if event == "comment":
                leaf(parent, "#comment", element.text or "")
            else:
                target, _, data = (element.text or "").partition(" ")
                leaf(parent, target, data)
        if len(lines) >= 4096:
            out.write("".join(lines))
            lines.clear()
    out.write("".join(lines))


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: peer_iterparse.py INPUT OUTPUT [DELIMITER]")
    delimiter = sys.argv[3] if len(sys.argv) == 4 else ","
    with open(sys.argv[2], "w", encoding="utf-8", newline="") as out:
        flatten(sys.argv[1], out, delimiter)


if __name__ == "__main__":
    main()
