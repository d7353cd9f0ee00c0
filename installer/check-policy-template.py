#!/usr/bin/env python3
"""Checks the administrative template: both files are well-formed XML, every
policy value the program reads (the policy names in settings/SettingKeys.cpp)
is named in the .admx under Software\\Policies\\Quorlan, and every string and
presentation the .admx refers to is defined in the en-US .adml.

usage: check-policy-template.py SETTING_KEYS_CPP TEMPLATE_DIR"""
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"


def fail(text):
    print("policy template: " + text)
    sys.exit(1)


def main(keys_source, folder):
    source = open(keys_source, encoding="utf-8").read()
    # Table rows: {section, file key (a name or a literal), "Policy", SettingKind::...
    wanted = set(re.findall(r'\{\s*\w+,\s*(?:"[^"]+"|\w+),\s*"([^"]+)",\s*SettingKind::', source))
    if not wanted:
        fail("no policy names found in " + keys_source)
    try:
        admx = ET.parse(folder + "/Quorlan.admx").getroot()
        adml = ET.parse(folder + "/en-US/Quorlan.adml").getroot()
    except ET.ParseError as error:
        fail("not well-formed: %s" % error)
    named = {}
    for policy in admx.iter(NS + "policy"):
        if policy.get("key") != "Software\\Policies\\Quorlan":
            fail("policy %s is not under Software\\Policies\\Quorlan" % policy.get("name"))
        for element in [policy] + list(policy.iter()):
            if element.get("valueName"):
                named[element.get("valueName")] = element.tag.replace(NS, "")
    missing = wanted - set(named)
    if missing:
        fail("values not named: " + ", ".join(sorted(missing)))
    extra = set(named) - wanted
    if extra:
        fail("values the program does not read: " + ", ".join(sorted(extra)))
    strings = {s.get("id") for s in adml.iter(NS + "string")}
    presentations = {p.get("id") for p in adml.iter(NS + "presentation")}
    text = open(folder + "/Quorlan.admx", encoding="utf-8").read()
    for ref in re.findall(r"\$\(string\.([^)]+)\)", text):
        if ref not in strings:
            fail("string %s is not in the .adml" % ref)
    for ref in re.findall(r"\$\(presentation\.([^)]+)\)", text):
        if ref not in presentations:
            fail("presentation %s is not in the .adml" % ref)
    print("policy template names " + ", ".join(sorted(named)))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        fail(__doc__)
    main(sys.argv[1], sys.argv[2])
