<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>About Quillmark</source>
        <translation>À propos de Quillmark</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Quillmark %1&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Views and edits the headline, description, creator, copyright and keywords that files and folders carry as extended attributes.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Quillmark %1&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Affiche et modifie le titre, la description, le créateur, le copyright et les mots-clés que les fichiers et les dossiers portent dans leurs attributs étendus.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Copyright © 2026 The Quillmark developers&lt;/p&gt;&lt;p&gt;Quillmark is free software: you may pass it on and change it under the terms of the GNU General Public License, version 3 or (at your option) any later version (GPL-3.0-or-later). It comes with no warranty.&lt;/p&gt;</source>
        <translation>&lt;p&gt;Copyright © 2026 Les développeurs de Quillmark&lt;/p&gt;&lt;p&gt;Quillmark est un logiciel libre : vous pouvez le redistribuer et le modifier selon les termes de la licence publique générale GNU, version 3 ou (à votre choix) toute version ultérieure (GPL-3.0-or-later). Il est fourni sans aucune garantie.&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>DocumentController</name>
    <message>
        <source>“%1” cannot be opened: it names no item on this computer.</source>
        <translation>«&#xa0;%1&#xa0;» ne peut pas être ouvert&#xa0;: il ne désigne aucun élément sur cet ordinateur.</translation>
    </message>
</context>
<context>
    <name>EditorTexts</name>
    <message>
        <source>setxattr error: </source>
        <translation>Erreur setxattr&#xa0;: </translation>
    </message>
    <message>
        <source>remxattr error: </source>
        <translation>Erreur remxattr&#xa0;: </translation>
    </message>
    <message>
        <source>opendir error: </source>
        <translation>Erreur opendir&#xa0;: </translation>
    </message>
    <message>
        <source>a desktop tag cannot hold a comma: </source>
        <translation>une étiquette du bureau ne peut pas contenir de virgule&#xa0;: </translation>
    </message>
    <message>
        <source>The values in the image cannot be read: </source>
        <translation>Les valeurs de l’image ne peuvent pas être lues&#xa0;: </translation>
    </message>
    <message>
        <source>unreadable metadata</source>
        <translation>métadonnées illisibles</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>un nombre</translation>
    </message>
    <message>
        <source>a date</source>
        <translation>une date</translation>
    </message>
    <message>
        <source>a true or false value</source>
        <translation>une valeur vrai ou faux</translation>
    </message>
    <message>
        <source>a dictionary</source>
        <translation>un dictionnaire</translation>
    </message>
    <message>
        <source>a list</source>
        <translation>une liste</translation>
    </message>
    <message>
        <source>an empty list</source>
        <translation>une liste vide</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>illisible</translation>
    </message>
    <message numerus="yes">
        <source>data of %Ln byte(s)</source>
        <translation>
            <numerusform>des données de %Ln octet</numerusform>
            <numerusform>des données de %Ln octets</numerusform>
        </translation>
    </message>
    <message>
        <source>In the image: %1</source>
        <translation>Dans l’image&#xa0;: %1</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Créateur</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Headline</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Mots-clés</translation>
    </message>
    <message>
        <source>Multiple values</source>
        <translation>Valeurs multiples</translation>
    </message>
    <message>
        <source>unreadable: %1</source>
        <translation>illisible : %1</translation>
    </message>
    <message>
        <source>keywords kept as one string cannot hold &quot;%1&quot;: it would read as two</source>
        <translation>des mots-clés gardés en une seule chaîne ne peuvent pas contenir «&#xa0;%1&#xa0;»&#xa0;: il se lirait comme deux</translation>
    </message>
    <message>
        <source>the keywords are kept as %1, not as strings: left as they are</source>
        <translation>les mots-clés sont gardés comme %1, non comme des chaînes&#xa0;: ils restent tels quels</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Étiquettes</translation>
    </message>
    <message>
        <source>the tags are kept as %1, not as strings: left as they are</source>
        <translation>les étiquettes sont gardées comme %1, non comme des chaînes&#xa0;: elles restent telles quelles</translation>
    </message>
    <message>
        <source>a string</source>
        <translation>une chaîne</translation>
    </message>
</context>
<context>
    <name>ErrorAlert</name>
    <message>
        <source>An error occurred in your last action:</source>
        <translation>Une erreur s’est produite lors de votre dernière action&#xa0;:</translation>
    </message>
    <message>
        <source>Stop Writing</source>
        <translation>Arrêter l’écriture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Fields</name>
    <message>
        <source>Embedded in the image, which Quillmark never changes. Use Values from the Image puts it in the field for you to Save.</source>
        <translation>Intégré à l’image, que Quillmark ne modifie jamais. «&#xa0;Utiliser les valeurs de l’image&#xa0;» le place dans le champ pour que vous l’enregistriez.</translation>
    </message>
    <message>
        <source>Stored as it is: %1. Save leaves it unless its box is ticked and the field is empty.</source>
        <translation>Enregistré tel quel&#xa0;: %1. «&#xa0;Enregistrer&#xa0;» le laisse intact, sauf si sa case est cochée et que le champ est vide.</translation>
    </message>
    <message>
        <source>Choose a Value for All Items</source>
        <translation>Choisir une valeur pour tous les éléments</translation>
    </message>
    <message>
        <source>The items hold different values:</source>
        <translation>Les éléments ont des valeurs différentes&#xa0;:</translation>
    </message>
    <message numerus="yes">
        <source>%1 (%Ln item(s))</source>
        <translation>
            <numerusform>%1 (%Ln élément)</numerusform>
            <numerusform>%1 (%Ln éléments)</numerusform>
        </translation>
    </message>
    <message>
        <source>Removed elsewhere since it was shown. Save will ask before replacing it.</source>
        <translation>Supprimée ailleurs depuis son affichage. Enregistrer demandera avant de la remplacer.</translation>
    </message>
    <message>
        <source>Changed elsewhere to “%1” since it was shown. Save will ask before replacing it.</source>
        <translation>Changée ailleurs en «&#xa0;%1&#xa0;» depuis son affichage. Enregistrer demandera avant de la remplacer.</translation>
    </message>
    <message>
        <source>Stored as it is: %1. Save leaves it so.</source>
        <translation>Enregistré tel quel&#xa0;: %1. «&#xa0;Enregistrer&#xa0;» le laisse intact.</translation>
    </message>
</context>
<context>
    <name>Keywords</name>
    <message numerus="yes">
        <source>%1 (%2 of %Ln item(s))</source>
        <translation>
            <numerusform>%1 (%2 sur %Ln élément)</numerusform>
            <numerusform>%1 (%2 sur %Ln éléments)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>He&amp;adline:</source>
        <translation>&amp;Titre&#xa0;:</translation>
    </message>
    <message>
        <source>Headline</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored headline</source>
        <translation>Si ce champ est vide, «&#xa0;Enregistrer&#xa0;» supprime le titre enregistré</translation>
    </message>
    <message>
        <source>Remove headline when empty</source>
        <translation>Supprimer le titre s’il est vide</translation>
    </message>
    <message>
        <source>Remove when empty</source>
        <translation>Supprimer si vide</translation>
    </message>
    <message>
        <source>&amp;Description:</source>
        <translation>&amp;Description&#xa0;:</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored description</source>
        <translation>Si ce champ est vide, «&#xa0;Enregistrer&#xa0;» supprime la description enregistrée</translation>
    </message>
    <message>
        <source>Remove description when empty</source>
        <translation>Supprimer la description si elle est vide</translation>
    </message>
    <message>
        <source>C&amp;reator:</source>
        <translation>&amp;Créateur&#xa0;:</translation>
    </message>
    <message>
        <source>Creator</source>
        <translation>Créateur</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored creator</source>
        <translation>Si ce champ est vide, «&#xa0;Enregistrer&#xa0;» supprime le créateur enregistré</translation>
    </message>
    <message>
        <source>Remove creator when empty</source>
        <translation>Supprimer le créateur s’il est vide</translation>
    </message>
    <message>
        <source>Co&amp;pyright:</source>
        <translation>Co&amp;pyright&#xa0;:</translation>
    </message>
    <message>
        <source>Copyright</source>
        <translation>Copyright</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored copyright</source>
        <translation>Si ce champ est vide, «&#xa0;Enregistrer&#xa0;» supprime le copyright enregistré</translation>
    </message>
    <message>
        <source>Remove copyright when empty</source>
        <translation>Supprimer le copyright s’il est vide</translation>
    </message>
    <message>
        <source>&amp;Keywords:</source>
        <translation>&amp;Mots-clés&#xa0;:</translation>
    </message>
    <message>
        <source>Keywords</source>
        <translation>Mots-clés</translation>
    </message>
    <message>
        <source>When this field is empty, Save removes the stored keywords</source>
        <translation>Si ce champ est vide, «&#xa0;Enregistrer&#xa0;» supprime les mots-clés enregistrés</translation>
    </message>
    <message>
        <source>Remove keywords when empty</source>
        <translation>Supprimer les mots-clés s’ils sont vides</translation>
    </message>
    <message>
        <source>Choose a file or folder and show its values</source>
        <translation>Choisir un fichier ou un dossier et afficher ses valeurs</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Ouvrir…</translation>
    </message>
    <message>
        <source>Store the values in the opened file or folder</source>
        <translation>Enregistrer les valeurs dans le fichier ou le dossier ouvert</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Enregistrer</translation>
    </message>
    <message>
        <source>Choose a folder whose contents Write Folder will change</source>
        <translation>Choisir un dossier dont «&#xa0;Écrire dans le dossier&#xa0;» modifiera le contenu</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Sélectionner un dossier</translation>
    </message>
    <message>
        <source>Select Fo&amp;lder…</source>
        <translation>&amp;Sélectionner un dossier…</translation>
    </message>
    <message>
        <source>Store the values in everything inside the selected folder</source>
        <translation>Enregistrer les valeurs dans tout ce que contient le dossier sélectionné</translation>
    </message>
    <message>
        <source>Write Folder</source>
        <translation>Écrire dans le dossier</translation>
    </message>
    <message>
        <source>&amp;Write Folder</source>
        <translation>É&amp;crire dans le dossier</translation>
    </message>
    <message>
        <source>Write the five values to a text file</source>
        <translation>Écrire les cinq valeurs dans un fichier texte</translation>
    </message>
    <message>
        <source>Save Text</source>
        <translation>Enregistrer en texte</translation>
    </message>
    <message>
        <source>Save &amp;Text…</source>
        <translation>Enregistrer en te&amp;xte…</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>&amp;New Window</source>
        <translation>&amp;Nouvelle fenêtre</translation>
    </message>
    <message>
        <source>Replace Desktop &amp;Tags and Comment When Saving</source>
        <translation>Remplacer les é&amp;tiquettes et le commentaire du bureau à l’enregistrement</translation>
    </message>
    <message>
        <source>Save and Write Folder also replace each item&apos;s desktop tags with its keywords and its desktop comment with its description</source>
        <translation>«&#xa0;Enregistrer&#xa0;» et «&#xa0;Écrire dans le dossier&#xa0;» remplacent aussi les étiquettes du bureau de chaque élément par ses mots-clés, et son commentaire du bureau par sa description</translation>
    </message>
    <message>
        <source>&amp;Use Values from the Image</source>
        <translation>&amp;Utiliser les valeurs de l’image</translation>
    </message>
    <message>
        <source>&amp;Close Window</source>
        <translation>&amp;Fermer la fenêtre</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Check for &amp;Updates…</source>
        <translation>Rechercher des &amp;mises à jour…</translation>
    </message>
    <message>
        <source>Quillmark &amp;Support</source>
        <translation>&amp;Assistance Quillmark</translation>
    </message>
    <message>
        <source>&amp;About Quillmark</source>
        <translation>À &amp;propos de Quillmark</translation>
    </message>
    <message>
        <source>New keywords, separated by commas; Enter adds them to the list</source>
        <translation>Nouveaux mots-clés, séparés par des virgules&#xa0;; Entrée les ajoute à la liste</translation>
    </message>
    <message>
        <source>Keyword list</source>
        <translation>Liste des mots-clés</translation>
    </message>
    <message>
        <source>Delete removes the keyword from every item; Insert gives it to every item</source>
        <translation>Suppr retire le mot-clé de tous les éléments&#xa0;; Inser le donne à tous les éléments</translation>
    </message>
    <message>
        <source>Remove keyword</source>
        <translation>Retirer le mot-clé</translation>
    </message>
    <message>
        <source>Take the chosen keyword off every item</source>
        <translation>Retirer le mot-clé choisi de tous les éléments</translation>
    </message>
    <message>
        <source>Re&amp;move Keyword</source>
        <translation>Reti&amp;rer le mot-clé</translation>
    </message>
    <message>
        <source>Give keyword to all items</source>
        <translation>Donner le mot-clé à tous les éléments</translation>
    </message>
    <message>
        <source>Give the chosen keyword to every item</source>
        <translation>Donner le mot-clé choisi à tous les éléments</translation>
    </message>
    <message>
        <source>Give to &amp;All</source>
        <translation>Donner à &amp;tous</translation>
    </message>
    <message>
        <source>Reading the items</source>
        <translation>Lecture des éléments</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stop reading: the window keeps the items read so far</source>
        <translation>Arrêter la lecture&#xa0;: la fenêtre garde les éléments déjà lus</translation>
    </message>
    <message>
        <source>&amp;Revert</source>
        <translation>&amp;Rétablir</translation>
    </message>
    <message>
        <source>Drop the changes not saved and show what is stored</source>
        <translation>Abandonner les modifications non enregistrées et montrer ce qui est stocké</translation>
    </message>
    <message>
        <source>Ta&amp;gs:</source>
        <translation>Éti&amp;quettes&#xa0;:</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Étiquettes</translation>
    </message>
    <message>
        <source>New tags, separated by commas; Enter adds them to the list. A colour&apos;s name gives that colour&apos;s tag</source>
        <translation>Nouvelles étiquettes, séparées par des virgules&#xa0;; Entrée les ajoute à la liste. Le nom d’une couleur donne l’étiquette de cette couleur</translation>
    </message>
    <message>
        <source>Tag colour</source>
        <translation>Couleur de l’étiquette</translation>
    </message>
    <message>
        <source>Give the chosen tag another colour, or none</source>
        <translation>Donner une autre couleur à l’étiquette choisie, ou aucune</translation>
    </message>
    <message>
        <source>&amp;Colour</source>
        <translation>Cou&amp;leur</translation>
    </message>
    <message>
        <source>Tag list</source>
        <translation>Liste des étiquettes</translation>
    </message>
    <message>
        <source>Delete removes the tag from every item; Insert gives it to every item; the menu key changes its colour</source>
        <translation>Suppr retire l’étiquette de tous les éléments&#xa0;; Inser la donne à tous les éléments&#xa0;; la touche Menu change sa couleur</translation>
    </message>
    <message>
        <source>Remove tag</source>
        <translation>Retirer l’étiquette</translation>
    </message>
    <message>
        <source>Take the chosen tag off every item</source>
        <translation>Retirer l’étiquette choisie de tous les éléments</translation>
    </message>
    <message>
        <source>R&amp;emove Tag</source>
        <translation>Retirer l’ét&amp;iquette</translation>
    </message>
    <message>
        <source>Give tag to all items</source>
        <translation>Donner l’étiquette à tous les éléments</translation>
    </message>
    <message>
        <source>Give the chosen tag to every item</source>
        <translation>Donner l’étiquette choisie à tous les éléments</translation>
    </message>
    <message>
        <source>G&amp;ive to All</source>
        <translation>Donner à to&amp;us</translation>
    </message>
</context>
<context>
    <name>Panels</name>
    <message>
        <source>Several items in “%1” are shown as “%2”. Rename one of them, or drop it on the window instead.</source>
        <translation>Plusieurs éléments de «&#xa0;%1&#xa0;» s’affichent sous le nom «&#xa0;%2&#xa0;». Renommez l’un d’eux, ou déposez-le plutôt sur la fenêtre.</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Ouvrir</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Sélectionner un dossier</translation>
    </message>
    <message>
        <source>Save Text</source>
        <translation>Enregistrer en texte</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>Texte</translation>
    </message>
</context>
<context>
    <name>Questions</name>
    <message>
        <source>none</source>
        <translation>aucune</translation>
    </message>
    <message>
        <source>%1 — %2: stored %3, yours %4</source>
        <translation>%1 — %2&#xa0;: stockée %3, la vôtre %4</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Remplacer</translation>
    </message>
    <message>
        <source>Keep Other</source>
        <translation>Garder l’autre</translation>
    </message>
    <message>
        <source>Save the changes made in this window?</source>
        <translation>Enregistrer les modifications faites dans cette fenêtre&#xa0;?</translation>
    </message>
    <message>
        <source>They are lost if they are not saved.</source>
        <translation>Elles sont perdues si elles ne sont pas enregistrées.</translation>
    </message>
    <message>
        <source>Drop the changes made in this window?</source>
        <translation>Abandonner les modifications faites dans cette fenêtre&#xa0;?</translation>
    </message>
    <message>
        <source>The fields then show what is stored now.</source>
        <translation>Les champs montrent alors ce qui est stocké maintenant.</translation>
    </message>
    <message>
        <source>Revert</source>
        <translation>Rétablir</translation>
    </message>
    <message>
        <source>Replace what another program stored?</source>
        <translation>Remplacer ce qu’un autre programme a stocké&#xa0;?</translation>
    </message>
    <message>
        <source>Since the window showed them, another program stored:</source>
        <translation>Depuis leur affichage, un autre programme a stocké&#xa0;:</translation>
    </message>
    <message>
        <source>“%1”</source>
        <translation>«&#xa0;%1&#xa0;»</translation>
    </message>
</context>
<context>
    <name>Tags</name>
    <message>
        <source>None</source>
        <translation>Aucune</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>Gris</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Vert</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Violet</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Bleu</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Jaune</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Rouge</translation>
    </message>
    <message>
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Changed elsewhere since it was shown. Save will ask before replacing it.</source>
        <translation>Changée ailleurs depuis son affichage. Enregistrer demandera avant de la remplacer.</translation>
    </message>
    <message>
        <source>Remove Tag</source>
        <translation>Retirer l’étiquette</translation>
    </message>
    <message>
        <source>Give to All</source>
        <translation>Donner à tous</translation>
    </message>
</context>
<context>
    <name>WalkProgress</name>
    <message numerus="yes">
        <source>%Ln item(s) done
%1</source>
        <translation>
            <numerusform>%Ln élément traité
%1</numerusform>
            <numerusform>%Ln éléments traités
%1</numerusform>
        </translation>
    </message>
    <message>
        <source>Write Folder</source>
        <translation>Écrire dans le dossier</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Enregistrer</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>Editing together: %1</source>
        <translation>Modifiés ensemble&#xa0;: %1</translation>
    </message>
    <message numerus="yes">
        <source>%Ln item(s)</source>
        <translation>
            <numerusform>%Ln élément</numerusform>
            <numerusform>%Ln éléments</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Reading %1 of %Ln item(s)</source>
        <translation>
            <numerusform>Lecture de %1 sur %Ln élément</numerusform>
            <numerusform>Lecture de %1 sur %Ln éléments</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %Ln more</source>
        <translation>
            <numerusform>et %Ln autre</numerusform>
            <numerusform>et %Ln autres</numerusform>
        </translation>
    </message>
</context>
</TS>
