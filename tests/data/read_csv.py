#!/usr/bin/python3
"""Reads a CSV file with Python's csv module and prints its rows as a JSON array of arrays.

    read_csv.py FILE DELIMITER

A two-character delimiter ", " is read as "," with the blanks after it skipped, which is how
readers take a comma-space file; every field must then be quoted.
"""
import csv
import json
import sys

path, delimiter = sys.argv[1], sys.argv[2]
comma_space = delimiter == ", "
with open(path, newline="", encoding="utf-8-sig") as file:
    reader = csv.reader(file, delimiter=delimiter[0], skipinitialspace=comma_space, strict=True)
    json.dump(list(reader), sys.stdout)
