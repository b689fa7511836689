#!/usr/bin/env python3
"""The catalog check on small catalogs: it passes a finished one and names
each kind of fault (an unfinished or empty text, a lost or extra
placeholder, a plural form without %n, a link text offered for
translation)."""
import importlib.util
import os
import sys
import tempfile
import unittest

spec = importlib.util.spec_from_file_location("check_translations", sys.argv.pop(1))
check = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check)


def catalog(messages):
    return ('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n'
            '<TS version="2.1" language="de" sourcelanguage="en">\n<context>\n<name>Ctx</name>\n'
            + messages + '\n</context>\n</TS>\n')


class CheckTranslations(unittest.TestCase):
    def problems(self, messages):
        with tempfile.NamedTemporaryFile("w", suffix=".ts", delete=False, encoding="utf-8") as f:
            f.write(catalog(messages))
        try:
            return list(check.problems(f.name))
        finally:
            os.unlink(f.name)

    def test_a_finished_catalog_passes(self):
        self.assertEqual(self.problems(
            '<message><source>Cannot %1 %2: %3</source><translation>%2 kann nicht: %1, %3</translation></message>'
            '<message><source>Gone</source><translation type="vanished">Weg</translation></message>'
            '<message numerus="yes"><source>%n file(s)</source><translation>'
            '<numerusform>%n Datei</numerusform><numerusform>%n Dateien</numerusform></translation></message>'), [])

    def test_unfinished_and_empty_texts_are_named(self):
        found = self.problems(
            '<message><source>New</source><translation type="unfinished"></translation></message>'
            '<message><source>Changed</source><translation type="unfinished">Alt</translation></message>'
            '<message><source>Empty</source><translation></translation></message>'
            '<message numerus="yes"><source>%n file(s)</source><translation>'
            '<numerusform>%n Datei</numerusform><numerusform></numerusform></translation></message>')
        self.assertEqual(len(found), 4, found)
        self.assertTrue(all("not translated" in line for line in found), found)

    def test_placeholders_must_all_be_kept(self):
        found = self.problems(
            '<message><source>Cannot store %1</source><translation>Kann nicht speichern</translation></message>'
            '<message><source>%1 of %2</source><translation>%1 von %3</translation></message>'
            '<message><source>Stop</source><translation>Stopp %1</translation></message>'
            '<message numerus="yes"><source>%n file(s)</source><translation>'
            '<numerusform>eine Datei</numerusform><numerusform>%n Dateien</numerusform></translation></message>')
        self.assertEqual(len(found), 4, found)
        self.assertTrue(all("placeholders" in line for line in found), found)

    def test_the_link_texts_are_never_offered_for_translation(self):
        found = self.problems('<message><source>TAVO已连接</source><translation>TAVO已连接</translation></message>')
        self.assertEqual(len(found), 1, found)
        self.assertIn("link texts", found[0])


if __name__ == "__main__":
    unittest.main()
